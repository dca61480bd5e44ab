#include "LanguageUpdate.h"

#include "platform/HostFile.h"
#include "platform/ReplacementFile.h"
#include "table/HexEnvelope.h"
#include "table/TableFile.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace setup {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr int kHeaderLines = 2; // the column widths, then the column names

// The lines of plain text, each without its line end.
std::vector<std::string> Lines(const std::string& plain)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < plain.size();) {
        std::size_t end = plain.find('\n', start);
        if (end == std::string::npos) end = plain.size();
        std::string line = plain.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

struct Table {
    CHexEnvelope::Content content;
    std::vector<std::string> lines;
    CTableFile table;
};

// The language file at hostPath read as the program reads it; false when it
// cannot be read or is no table.
bool Read(const std::string& hostPath, Table& read)
{
    const std::optional<std::string> bytes = platform::ReadHostFile(hostPath);
    std::optional<CHexEnvelope::Content> content = bytes ? CHexEnvelope::Unwrap(*bytes) : std::nullopt;
    if (!content || !read.table.LoadPlain(hostPath, content->plain)) return false;
    read.lines = Lines(content->plain);
    read.content = std::move(*content);
    return true;
}

// The rows of installed whose numbers copy lacks, as installed spells them.
// Each row is one line of a built file, so row i is line i after the header.
std::vector<std::pair<int, std::string>> MissingRows(Table& installed, Table& copy)
{
    std::vector<std::pair<int, std::string>> missing;
    const int rows = installed.table.GetRowCount();
    if (rows + kHeaderLines != static_cast<int>(installed.lines.size())) return missing;
    for (int row = 0; row < rows; ++row) {
        if (row > 0) installed.table.MoveNext();
        const std::string id = installed.table.GetField("ID");
        if (id.empty() || copy.table.FindFirst("ID=" + id)) continue;
        int number = 0;
        std::from_chars(id.data(), id.data() + id.size(), number);
        missing.emplace_back(number, installed.lines[static_cast<std::size_t>(row) + kHeaderLines]);
    }
    return missing;
}

bool SameLayout(const Table& installed, const Table& copy)
{
    return installed.lines.size() >= kHeaderLines && copy.lines.size() >= kHeaderLines &&
           std::equal(installed.lines.begin(), installed.lines.begin() + kHeaderLines, copy.lines.begin());
}

LanguageUpdate Update(const fs::path& installedPath, const fs::path& copyPath)
{
    LanguageUpdate update{copyPath.filename().string(), {}, {}};
    Table installed, copy;
    if (!Read(installedPath.string(), installed)) return update; // nothing to take texts from
    if (!Read(copyPath.string(), copy)) {
        update.problem = "it is no language file that can be read";
        return update;
    }
    if (!SameLayout(installed, copy)) {
        update.problem = "its table has columns of its own";
        return update;
    }
    const std::vector<std::pair<int, std::string>> missing = MissingRows(installed, copy);
    if (missing.empty()) return update;
    std::string plain = copy.content.plain;
    if (!plain.empty() && plain.back() != '\n') plain += kLineEnd;
    for (const auto& [number, row] : missing) {
        plain += row + kLineEnd;
        update.added.push_back(number);
    }
    // Written where a link points, so that the link stays one.
    if (!platform::ReplaceFileWith(copyPath.string(), CHexEnvelope::Wrap(copy.content.storedName, plain),
                                   platform::NewFileMode())) {
        update.added.clear();
        update.problem = "it cannot be written";
    }
    return update;
}

} // namespace

std::vector<LanguageUpdate> AddMissingTexts(const std::string& fromFolder, const std::string& toFolder)
{
    std::vector<LanguageUpdate> updates;
    std::error_code ec;
    if (fs::equivalent(fromFolder, toFolder, ec)) return updates;
    std::vector<fs::path> installed;
    for (const fs::directory_entry& entry : fs::directory_iterator(fromFolder, ec))
        if (entry.is_regular_file(ec) && entry.path().extension() == ".qzd") installed.push_back(entry.path());
    std::sort(installed.begin(), installed.end());
    for (const fs::path& file : installed) {
        const fs::path copy = fs::path(toFolder) / file.filename();
        if (!fs::is_regular_file(copy, ec)) continue; // a link is followed: its file is the copy
        if (fs::equivalent(file, copy, ec)) continue;
        LanguageUpdate update = Update(file, copy);
        if (!update.added.empty() || !update.problem.empty()) updates.push_back(std::move(update));
    }
    return updates;
}

} // namespace setup

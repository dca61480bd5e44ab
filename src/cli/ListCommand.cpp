// list: the rows the file list shows, folder by folder, and the summary.
#include "CliOutput.h"
#include "CliPaths.h"
#include "CliSettings.h"
#include "Commands.h"
#include "FileFailure.h"
#include "FolderTree.h"
#include "JsonWriter.h"
#include "ProgressLine.h"
#include "ops/FileListing.h"
#include "ops/FolderWalk.h"
#include "platform/Machine.h"
#include "platform/SystemPathName.h"

#include <sys/stat.h>

namespace {

const char* StateName(RowState state)
{
    switch (state) {
    case RowState::Match:
        return "match";
    case RowState::Tagged:
        return "tagged";
    case RowState::Untagged:
        break;
    }
    return "untagged";
}

std::string HostPathIn(const std::string& hostFolder, const std::string& name)
{
    return hostFolder == "/" ? "/" + name : hostFolder + "/" + name;
}

// One row with its texts already in UTF-8; name and path are host bytes.
struct PrintedRow {
    std::string name, path, sizeText;
    FieldArray<std::string> fields;
};

PrintedRow ToPrinted(const FileRow& row, const std::string& hostFolder)
{
    PrintedRow printed{row.name, HostPathIn(hostFolder, row.name), platform::ToUtf8(row.sizeText), {}};
    for (Field field : kFields)
        At(printed.fields, field) = platform::ToUtf8(row.Get(field));
    return printed;
}

// Straight into the output text: a listing of many files converts and
// copies each field once.
void AppendTextRow(std::string& out, const FileRow& row)
{
    const platform::CodePage& codePage = platform::CurrentMachine().codePage;
    // The name's own bytes, as ls prints them, so that a script can use it.
    out += row.name;
    out += '\t';
    codePage.AppendUtf8(out, row.sizeText);
    out += '\t';
    for (const std::string& field : row.fields) {
        codePage.AppendUtf8(out, field);
        out += '\t';
    }
    out += StateName(row.state);
    out += '\n';
}

void AppendJsonRow(CJsonWriter& json, const PrintedRow& row, const FileRow& source)
{
    json.BeginObject();
    json.PathMember("name", row.name);
    json.PathMember("path", row.path);
    json.MemberOrNull("size", source.opened ? std::optional<std::uint64_t>(source.size) : std::nullopt);
    json.Member("size_text", row.sizeText);
    json.Member("state", StateName(source.state));
    json.TagMembers(row.fields, source.track, source.hasId3v2);
    json.EndObject();
}

bool IsHostFolder(const std::string& hostPath)
{
    struct stat info {};
    return stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Prints the rows as they come and keeps the totals of the whole walk.
class CListPrinter {
public:
    explicit CListPrinter(bool json) : m_json(json), m_progress("list") {}

    void BeginDocument(const std::string& hostFolder)
    {
        if (!m_json) return;
        m_writer.BeginObject();
        m_writer.PathMember("folder", hostFolder);
        m_writer.Key("rows");
        m_writer.BeginArray();
    }

    void AddFolder(const std::string& folder, const FileListing& listing, bool withHeading)
    {
        const std::string hostFolder = PrintablePath(folder);
        std::string text;
        if (withHeading && !m_json && !listing.rows.empty()) text += hostFolder + ":\n";
        for (const FileRow& row : listing.rows) {
            if (!row.opened) ReportUnreadable(folder, hostFolder, row);
            if (m_json)
                AppendJsonRow(m_writer, ToPrinted(row, hostFolder), row);
            else
                AppendTextRow(text, row);
            m_progress.Step();
        }
        WriteOut(text);
        m_count += listing.count;
        m_total += listing.total;
    }

    // A folder of the walk that cannot be read has no rows to show; say so
    // rather than let it pass as empty.
    void FolderFailed(const std::string& folder)
    {
        WriteError(PrintablePath(folder) + ": cannot read folder");
        m_failed = true;
    }

    int Finish(const std::string& summary)
    {
        if (m_json) {
            m_writer.EndArray();
            m_writer.Member("count", m_count);
            m_writer.Member("total", m_total);
            m_writer.Member("summary", summary);
            m_writer.EndObject();
            m_writer.Text() += '\n';
            WriteOut(m_writer.Text());
        } else {
            WriteOut(summary + "\n");
        }
        return m_failed ? 1 : 0;
    }

    int Count() const { return m_count; }
    std::uint64_t Total() const { return m_total; }

private:
    // A folder that matches the pattern shows as a row that cannot be read,
    // as in the window; only a file that cannot be read is an error.
    void ReportUnreadable(const std::string& folder, const std::string& hostFolder, const FileRow& row)
    {
        const std::string hostPath = HostPathIn(hostFolder, row.name);
        if (IsHostFolder(hostPath)) return;
        WriteError(hostPath + ": " + OpenFailureReason(platform::JoinSystemPath(folder, row.name)));
        m_failed = true;
    }

    bool m_json;
    bool m_failed = false;
    int m_count = 0;
    std::uint64_t m_total = 0;
    CJsonWriter m_writer;
    CProgressLine m_progress;
};

// Folders are listed a batch at a time: the threads share the files of the
// whole batch, and the output still comes folder by folder in walk order.
constexpr std::size_t kFolderBatch = 64;

void ListBatch(CListPrinter& printer, const std::vector<std::string>& batch, const std::string& pattern,
               const CliOptions& options)
{
    std::vector<std::string> readable;
    for (const std::string& folder : batch)
        if (CanReadFolder(folder)) readable.push_back(folder);
    std::vector<FileListing> listings = ListFolders(readable, pattern, options.Jobs());
    std::size_t next = 0;
    for (const std::string& folder : batch) {
        if (next < readable.size() && readable[next] == folder)
            printer.AddFolder(folder, listings[next++], options.recurse);
        else
            printer.FolderFailed(folder);
    }
}

} // namespace

int RunList(const CliOptions& options)
{
    const auto folder = FolderArgument(options.operands.front());
    if (!folder) return 1;
    const std::string pattern = RenamePattern(options.pattern);
    CListPrinter printer(options.json);
    printer.BeginDocument(PrintablePath(*folder));
    std::vector<std::string> batch;
    FolderWalkCallbacks walk;
    walk.onFolder = [&](const std::string& each) {
        batch.push_back(each);
        if (batch.size() < kFolderBatch) return;
        ListBatch(printer, batch, pattern, options);
        batch.clear();
    };
    WalkMp3Files(*folder, options.recurse, walk);
    ListBatch(printer, batch, pattern, options);
    const std::string summary = platform::ToUtf8(SummaryText(printer.Count(), printer.Total(), FilesWord()));
    return printer.Finish(summary);
}

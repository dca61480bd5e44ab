// list: the rows the file list shows, folder by folder, and the summary.
#include "CliOutput.h"
#include "CliPaths.h"
#include "CliSettings.h"
#include "Commands.h"
#include "FileFailure.h"
#include "FolderTree.h"
#include "JsonWriter.h"
#include "ProgressLine.h"
#include "RowOutput.h"
#include "TerminalCodePage.h"
#include "ops/FileListing.h"
#include "ops/FolderWalk.h"
#include "ops/ParallelFor.h"
#include "platform/FileSystemKind.h"
#include "platform/Machine.h"
#include "platform/SystemPathName.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>

namespace {

const char* StateName(const FileRow& row)
{
    if (!row.opened) return "unreadable";
    switch (row.state) {
    case RowState::Match:
        return "match";
    case RowState::Tagged:
        return "tagged";
    case RowState::Untagged:
        break;
    }
    return "untagged";
}

std::optional<std::uint64_t> GenreNumberOf(const FileRow& row)
{
    return row.hasTag ? std::optional<std::uint64_t>(row.genreByte) : std::nullopt;
}

// One row with its texts in UTF-8; name and path are host bytes; reason
// says why a file could not be read.
struct PrintedRow {
    std::string name, path, sizeText, reason;
    FieldArray<std::string> fields;
};

PrintedRow ToPrinted(const FileRow& row, const std::string& hostFolder, std::string reason)
{
    PrintedRow printed{
        row.name, platform::JoinHostPath(hostFolder, row.name), platform::ToUtf8(row.sizeText), std::move(reason), {}};
    for (Field field : kFields)
        At(printed.fields, field) = platform::ToUtf8(row.Get(field));
    return printed;
}

std::string OptionalNumber(std::optional<std::uint64_t> number)
{
    return number ? std::to_string(*number) : std::string();
}

// The text columns, the file list's own, as AppendRow writes them; straight
// from the row, as a large folder has many.
void AppendTextRow(std::string& out, const FileRow& row, const CTerminalCodePage& terminal)
{
    std::array<std::string_view, 1 + kFieldCount> cells{row.sizeText};
    for (Field field : kFields)
        cells[1 + FieldIndex(field)] = row.Get(field);
    AppendTerminalText(out, row.name);
    terminal.AppendCells(out, cells);
    out += '\t';
    out += StateName(row);
    out += '\n';
}

// The text rows of a listing, formatted in slices on the listing's threads:
// a large folder's formatting would otherwise wait on one.
void AppendTextRows(std::string& out, const FileListing& listing, const CTerminalCodePage& terminal, unsigned jobs)
{
    constexpr std::size_t kSliceRows = 512;
    const std::size_t count = listing.rows.size();
    std::vector<std::string> slices((count + kSliceRows - 1) / kSliceRows);
    // Room for rows of a usual length, so that a slice seldom grows (and copies).
    constexpr std::size_t kUsualRowSize = 128;
    ForEachInParallel(slices.size(), jobs, [&](std::size_t slice, unsigned) {
        const std::size_t end = std::min(count, (slice + 1) * kSliceRows);
        slices[slice].reserve((end - slice * kSliceRows) * kUsualRowSize);
        for (std::size_t index = slice * kSliceRows; index < end; ++index)
            AppendTextRow(slices[slice], listing.rows[index], terminal);
    });
    std::size_t size = out.size();
    for (const std::string& slice : slices)
        size += slice.size();
    out.reserve(size);
    for (const std::string& slice : slices)
        out += slice;
}

std::vector<std::string> TextHeading()
{
    std::vector<std::string> cells{"name", "size"};
    for (Field field : kFields)
        cells.emplace_back(FieldName(field));
    cells.emplace_back("state");
    return cells;
}

// CSV and TSV: every value of the JSON row, one column each.
std::vector<std::string> DataCells(const PrintedRow& row, const FileRow& source)
{
    std::vector<std::string> cells{row.path, row.name, source.opened ? std::to_string(source.size) : std::string(),
                                   row.sizeText};
    cells.insert(cells.end(), row.fields.begin(), row.fields.end());
    cells.push_back(source.track != 0 ? std::to_string(source.track) : std::string());
    cells.push_back(OptionalNumber(GenreNumberOf(source)));
    cells.emplace_back(source.hasId3v2 ? "true" : "false");
    cells.emplace_back(StateName(source));
    cells.push_back(row.reason);
    return cells;
}

std::vector<std::string> DataHeading()
{
    std::vector<std::string> cells{"path", "name", "size", "size_text"};
    for (Field field : kFields)
        cells.emplace_back(FieldName(field));
    cells.insert(cells.end(), {"track", "genre_number", "has_id3v2", "state", "reason"});
    return cells;
}

void AppendJsonRow(CJsonWriter& json, const PrintedRow& row, const FileRow& source)
{
    json.BeginObject();
    json.PathMember("name", row.name);
    json.PathMember("path", row.path);
    json.MemberOrNull("size", source.opened ? std::optional<std::uint64_t>(source.size) : std::nullopt);
    json.Member("size_text", row.sizeText);
    json.Member("state", StateName(source));
    json.TagMembers(row.fields, source.track, source.hasId3v2, GenreNumberOf(source));
    if (!source.opened) json.Member("reason", row.reason);
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
    CListPrinter(OutputFormat format, bool header)
        : m_format(format), m_header(header), m_terminal(platform::CurrentMachine().codePage), m_progress("list")
    {
    }

    void BeginDocument(const std::string& hostFolder)
    {
        if (m_format == OutputFormat::Json) {
            m_writer.BeginObject();
            m_writer.PathMember("folder", hostFolder);
            m_writer.Key("rows");
            m_writer.BeginArray();
            return;
        }
        if (!m_header) return;
        std::string text;
        AppendRow(text, m_format == OutputFormat::Text ? TextHeading() : DataHeading(), m_format);
        WriteOut(text);
    }

    // jobs: threads that may format the rows.
    void AddFolder(const std::string& folder, const FileListing& listing, bool withHeading, unsigned jobs)
    {
        const std::string hostFolder = PrintablePath(folder);
        std::string text;
        if (m_format == OutputFormat::Text) {
            for (const FileRow& row : listing.rows)
                if (!row.opened) Unreadable(folder, row);
            if (withHeading && !listing.rows.empty()) text += TerminalText(hostFolder) + ":\n";
            AppendTextRows(text, listing, m_terminal, jobs);
        } else {
            for (const FileRow& row : listing.rows) {
                const PrintedRow printed =
                    ToPrinted(row, hostFolder, row.opened ? std::string() : Unreadable(folder, row));
                if (m_format == OutputFormat::Json)
                    AppendJsonRow(m_writer, printed, row);
                else
                    AppendRow(text, DataCells(printed, row), m_format);
            }
        }
        for (std::size_t row = 0; row < listing.rows.size(); ++row)
            m_progress.Step();
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
        if (m_format == OutputFormat::Json) {
            m_writer.EndArray();
            m_writer.Member("count", m_count);
            m_writer.Member("total", m_total);
            m_writer.Member("summary", summary);
            m_writer.Member("files", m_count);
            m_writer.Member("bytes", m_total);
            m_writer.EndObject();
            m_writer.Text() += '\n';
            WriteOut(m_writer.Text());
        } else if (m_format == OutputFormat::Text) {
            WriteOut(TerminalText(summary) + "\n");
        }
        return m_failed ? 1 : 0;
    }

    int Count() const { return m_count; }
    std::uint64_t Total() const { return m_total; }

private:
    // Why the row's file could not be read. A folder that matches the
    // pattern shows as such a row, as in the window; only a file that cannot
    // be read is an error.
    std::string Unreadable(const std::string& folder, const FileRow& row)
    {
        if (IsHostFolder(platform::JoinHostPath(PrintablePath(folder), row.name))) return "a folder";
        std::string reason = OpenFailureReason(platform::JoinSystemPath(folder, row.name));
        WriteError(platform::JoinHostPath(PrintablePath(folder), row.name) + ": " + reason);
        m_failed = true;
        return reason;
    }

    OutputFormat m_format;
    bool m_header;
    bool m_failed = false;
    int m_count = 0;
    std::uint64_t m_total = 0;
    CTerminalCodePage m_terminal;
    CJsonWriter m_writer;
    CProgressLine m_progress;
};

// The summary as the status bar shows it; an empty folder has no size to give.
std::string ListSummary(int count, std::uint64_t total)
{
    const std::string word = FilesWord(count);
    if (count == 0) return "0 " + platform::ToUtf8(word);
    return platform::ToUtf8(SummaryText(count, total, word));
}

// Folders are listed a batch at a time: the threads share the files of the
// whole batch, and the output still comes folder by folder in walk order.
constexpr std::size_t kFolderBatch = 64;

bool AnyOnNetwork(const std::vector<std::string>& folders)
{
    return std::ranges::any_of(folders, platform::IsSystemPathOnNetwork);
}

void ListBatch(CListPrinter& printer, const std::vector<std::string>& batch, const std::string& pattern,
               const CliOptions& options)
{
    std::vector<std::string> readable;
    for (const std::string& folder : batch)
        if (CanReadFolder(folder)) readable.push_back(folder);
    ListReading reading;
    reading.jobs = options.Jobs();
    // Without -j the reads get more threads while the device makes them wait
    // (a cold disk, a network share); -j N holds them to N.
    const bool onNetwork = AnyOnNetwork(readable);
    reading.ioJobs = options.jobs ? options.Jobs() : DefaultIoJobs(onNetwork);
    reading.batched = !onNetwork;
    // Only the data formats show has_id3v2; text saves the read of each file's head.
    reading.id3v2 = *OutputFormatOf(options) != OutputFormat::Text;
    std::vector<FileListing> listings = ListFolders(readable, pattern, reading);
    std::size_t next = 0;
    for (const std::string& folder : batch) {
        if (next < readable.size() && readable[next] == folder)
            printer.AddFolder(folder, listings[next++], options.recurse, reading.jobs);
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
    CListPrinter printer(*OutputFormatOf(options), options.header);
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
    return printer.Finish(ListSummary(printer.Count(), printer.Total()));
}

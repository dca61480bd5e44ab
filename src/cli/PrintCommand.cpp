#include "PrintCommand.h"

#include "CliOutput.h"
#include "CliPaths.h"
#include "CliUsage.h"
#include "FileFailure.h"
#include "FolderTree.h"
#include "ops/FolderWalk.h"
#include "platform/SystemPathName.h"
#include "platform/UniqueFd.h"
#include "tag/Id3v1Tag.h"
#include "language/LanguageText.h"
#include "print/ListingPdf.h"
#include "print/PrintChoice.h"
#include "table/TableFile.h"

#include <QPageSize>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace {

struct ColumnName {
    const char* name;
    bool PrintChoice::*flag;
};

constexpr std::array<ColumnName, 8> kColumns{{
    {"name", &PrintChoice::printFileName},
    {"size", &PrintChoice::printFileSize},
    {"artist", &PrintChoice::printArtist},
    {"title", &PrintChoice::printTitle},
    {"album", &PrintChoice::printAlbum},
    {"year", &PrintChoice::printYear},
    {"genre", &PrintChoice::printGenre},
    {"comment", &PrintChoice::printComment},
}};

bool SetColumn(const std::string& name, PrintChoice& choice)
{
    for (const ColumnName& column : kColumns) {
        if (name != column.name) continue;
        choice.*column.flag = true;
        return true;
    }
    return false;
}

} // namespace

std::optional<std::string> ApplyColumnList(const std::string& list, PrintChoice& choice)
{
    for (const ColumnName& column : kColumns)
        choice.*column.flag = false;
    std::istringstream names(list);
    std::string name;
    while (std::getline(names, name, ','))
        if (!name.empty() && !SetColumn(name, choice)) return name;
    return std::nullopt;
}

namespace {

bool IsKnownPageSize(const std::string& name)
{
    const QString wanted = QString::fromStdString(name);
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const auto pageId = static_cast<QPageSize::PageSizeId>(id);
        if (pageId != QPageSize::Custom && QPageSize::key(pageId).compare(wanted, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

// The files the printout leaves out because they cannot be read, named on
// stderr as list names them; true when there was any.
bool NameSkippedFiles(const std::string& folder, bool recurse)
{
    bool skipped = false;
    CId3v1Tag tag;
    FolderWalkCallbacks walk;
    walk.onFile = [&](const std::string& where, const std::string& name) {
        const std::string path = platform::JoinSystemPath(where, name);
        if (tag.Open(path)) return;
        WriteError(PrintablePath(path) + ": not printed: " + OpenFailureText(path, tag.GetLastError()));
        skipped = true;
    };
    walk.onFolderFailed = [&](const std::string& where) {
        WriteError(PrintablePath(where) + ": not printed: cannot read folder");
        skipped = true;
    };
    WalkMp3Files(folder, recurse, walk);
    return skipped;
}

// Why the PDF file cannot be written there, or "" when it can; a file the
// check made is removed again.
std::string OutputProblem(const std::string& hostPath)
{
    const bool existed = access(hostPath.c_str(), F_OK) == 0;
    const platform::UniqueFd fd(open(hostPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    if (!fd.IsValid()) return ErrorText(errno);
    if (!existed) unlink(hostPath.c_str());
    return {};
}

// The PDF printed into a temporary file, then copied to stdout.
int PrintToStandardOutput(const std::string& folder, const PrintChoice& choice, const std::string& pageSize,
                          CTableFile& languageTable)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/sonadex-print-XXXXXX";
    const platform::UniqueFd fd(mkstemp(path.data()));
    if (!fd.IsValid()) {
        WriteError("cannot make a temporary file for the PDF: " + ErrorText(errno));
        return -1;
    }
    const int pages = PrintListingToPdf(folder, choice, path, pageSize, languageTable);
    std::ifstream in(path, std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), {});
    unlink(path.c_str());
    if (pages >= 0) WriteOut(pdf);
    return pages;
}

} // namespace

int RunPrint(const CliOptions& options)
{
    PrintChoice choice;
    choice.includeSubfolders = options.recurse;
    if (options.columns) {
        if (const auto unknown = ApplyColumnList(*options.columns, choice))
            return UsageError("unknown column '" + *unknown + "' in --columns");
    }
    const std::string pageSize = options.pageSize.value_or("A4");
    if (!IsKnownPageSize(pageSize))
        return UsageError("unknown page size '" + pageSize + "' for --page-size (A4, A5, A3, Letter, Legal, ...)");
    const bool toStdout = *options.pdf == "-";
    if (!toStdout) {
        if (const std::string problem = OutputProblem(*options.pdf); !problem.empty()) {
            WriteError(*options.pdf + ": cannot write the PDF file: " + problem);
            return 1;
        }
    }
    const auto folder = FolderArgument(options.operands.front());
    if (!folder) return 1;
    const bool skipped = NameSkippedFiles(*folder, options.recurse);
    CTableFile languageTable; // headings; only read, never written back
    std::string langPath, language;
    LoadLanguage(languageTable, langPath, language);
    const int pages = toStdout ? PrintToStandardOutput(*folder, choice, pageSize, languageTable)
                               : PrintListingToPdf(*folder, choice, *options.pdf, pageSize, languageTable);
    if (pages < 0) {
        WriteError((toStdout ? std::string("standard output") : *options.pdf) + ": the PDF could not be written");
        return 1;
    }
    if (!toStdout) WriteOut(Counted(static_cast<std::size_t>(pages), "page", "pages") + " written to " + *options.pdf + "\n");
    return skipped ? 1 : 0;
}

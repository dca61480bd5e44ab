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
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>
#include <vector>

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

std::string PrinterList(const std::vector<std::string>& names)
{
    if (names.empty()) return "the print service offers no printer";
    std::string list = "printers:";
    for (const std::string& name : names)
        list += " " + name;
    return list;
}

// The printer --printer chose ("" there: the default printer), or nullopt
// once the problem is named on stderr.
std::optional<std::string> ChosenPrinter(const std::string& wanted)
{
    const std::vector<std::string> names = SystemPrinterNames();
    const std::string name = wanted.empty() ? DefaultSystemPrinterName() : wanted;
    if (name.empty()) {
        WriteError("no default printer is set; name one with --printer=NAME (" + PrinterList(names) + ")");
        return std::nullopt;
    }
    if (std::find(names.begin(), names.end(), name) == names.end()) {
        WriteError("no printer named '" + name + "' (" + PrinterList(names) + ")");
        return std::nullopt;
    }
    return name;
}

// False once stderr says that the printer has no paper of that size.
bool PrinterHasPaper(const std::string& printer, const std::string& pageSize)
{
    const std::vector<std::string> papers = SystemPrinterPaperNames(printer);
    const QString wanted = QString::fromStdString(pageSize);
    const auto same = [&](const std::string& paper) {
        return QString::fromStdString(paper).compare(wanted, Qt::CaseInsensitive) == 0;
    };
    if (std::any_of(papers.begin(), papers.end(), same)) return true;
    std::string offered;
    for (const std::string& paper : papers)
        offered += (offered.empty() ? "" : ", ") + paper;
    WriteError("printer " + printer + " has no paper of size '" + pageSize + "' (" + offered + ")");
    return false;
}

// The printer to print on, checked before anything is printed; nullopt once
// the problem is named.
std::optional<std::string> UsablePrinter(const CliOptions& options)
{
    std::optional<std::string> printer = ChosenPrinter(*options.printer);
    if (printer && options.pageSize && !PrinterHasPaper(*printer, *options.pageSize)) return std::nullopt;
    return printer;
}

// Prints on the chosen printer: 0, or 1 once the failure is named.
int PrintToPrinter(const std::string& folder, const PrintChoice& choice, const std::string& printer,
                   const CliOptions& options, CTableFile& languageTable)
{
    const int pages = PrintListingToPrinter(folder, choice, printer, options.pageSize.value_or(""), languageTable);
    if (pages < 0) {
        WriteError("printer " + printer + ": the listing could not be printed");
        return 1;
    }
    WriteOut(Counted(static_cast<std::size_t>(pages), "page", "pages") + " sent to printer " + printer + "\n");
    return 0;
}

// Prints into the PDF file or onto standard output: 0, or 1 once the failure is named.
int PrintToPdf(const std::string& folder, const PrintChoice& choice, const std::string& pdf,
               const std::string& pageSize, CTableFile& languageTable)
{
    const bool toStdout = pdf == "-";
    const int pages = toStdout ? PrintToStandardOutput(folder, choice, pageSize, languageTable)
                               : PrintListingToPdf(folder, choice, pdf, pageSize, languageTable);
    if (pages < 0) {
        WriteError((toStdout ? std::string("standard output") : pdf) + ": the PDF could not be written");
        return 1;
    }
    if (!toStdout) WriteOut(Counted(static_cast<std::size_t>(pages), "page", "pages") + " written to " + pdf + "\n");
    return 0;
}

// Why the PDF cannot be written, named on stderr; false when it can.
bool PdfRefused(const std::string& pdf)
{
    if (pdf == "-") return false;
    const std::string problem = OutputProblem(pdf);
    if (!problem.empty()) WriteError(pdf + ": cannot write the PDF file: " + problem);
    return !problem.empty();
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
    const std::optional<std::string> printer = options.printer ? UsablePrinter(options) : std::nullopt;
    if (options.printer ? !printer : PdfRefused(*options.pdf)) return 1;
    const auto folder = FolderArgument(options.operands.front());
    if (!folder) return 1;
    const bool skipped = NameSkippedFiles(*folder, options.recurse);
    CTableFile languageTable; // headings; only read, never written back
    std::string langPath, language;
    LoadLanguage(languageTable, langPath, language);
    const int status = printer ? PrintToPrinter(*folder, choice, *printer, options, languageTable)
                               : PrintToPdf(*folder, choice, *options.pdf, pageSize, languageTable);
    return status != 0 || skipped ? 1 : 0;
}

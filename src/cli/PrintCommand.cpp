#include "PrintCommand.h"

#include "CliOutput.h"
#include "CliUsage.h"
#include "FolderTree.h"
#include "language/LanguageText.h"
#include "print/ListingPdf.h"
#include "print/PrintChoice.h"
#include "table/TableFile.h"

#include <array>
#include <sstream>

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

int RunPrint(const CliOptions& options)
{
    PrintChoice choice;
    choice.includeSubfolders = options.recurse;
    if (options.columns) {
        if (const auto unknown = ApplyColumnList(*options.columns, choice))
            return UsageError("unknown column '" + *unknown + "' in --columns");
    }
    const auto folder = FolderArgument(options.operands.front());
    if (!folder) return 1;
    CTableFile languageTable; // headings; only read, never written back
    std::string langPath, language;
    LoadLanguage(languageTable, langPath, language);
    const std::string pageSize = options.pageSize.value_or("A4");
    const int pages = PrintListingToPdf(*folder, choice, *options.pdf, pageSize, languageTable);
    if (pages < 0) {
        WriteError(*options.pdf + ": cannot print (unknown page size '" + pageSize +
                   "' or the file cannot be written)");
        return 1;
    }
    WriteOut(std::to_string(pages) + " pages written to " + *options.pdf + "\n");
    return 0;
}

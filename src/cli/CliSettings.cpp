#include "CliSettings.h"

#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "platform/Machine.h"
#include "settings/StoredSettings.h"
#include "table/TableFile.h"

std::string RenamePattern(const std::optional<std::string>& option)
{
    if (option) return platform::FromUtf8(*option);
    return settings::ReadRenamePattern();
}

std::string FilesWord()
{
    CTableFile table;
    std::string langPath, language;
    // The table is only read: destroying it writes nothing back.
    if (LoadLanguage(table, langPath, language)) {
        std::string word = GetText(table, text::kFiles);
        if (!word.empty()) return word;
    }
    return "files";
}

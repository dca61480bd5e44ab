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

std::string FilesWord(int count)
{
    CTableFile table;
    std::string langPath, language;
    // The table is only read: destroying it writes nothing back.
    if (LoadLanguage(table, langPath, language)) {
        // Older language files lack the singular: their plural then stands.
        if (count == 1) {
            if (std::string word = GetText(table, text::kOneFile); !word.empty()) return word;
        }
        if (std::string word = GetText(table, text::kFiles); !word.empty()) return word;
    }
    return count == 1 ? "file" : "files";
}

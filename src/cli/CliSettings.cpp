#include "CliSettings.h"

#include "language/LanguageText.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "table/TableFile.h"

namespace {
constexpr int kFilesWordText = 71;
const char* const kDefaultPattern = "%1 - %2";
} // namespace

std::string RenamePattern(const std::optional<std::string>& option)
{
    if (option) return platform::FromUtf8(*option);
    platform::CRegKey key;
    std::string value;
    if (key.Open("Software\\Velmora\\Sonadex Pro", platform::KEY_READ) == platform::ERROR_SUCCESS &&
        key.QueryStringValue("Rename", value) == platform::ERROR_SUCCESS && !value.empty())
        return value;
    return kDefaultPattern;
}

std::string FilesWord()
{
    CTableFile table;
    std::string langPath, language;
    // The table is only read: destroying it writes nothing back.
    if (LoadLanguage(table, langPath, language)) {
        std::string word = GetText(table, kFilesWordText);
        if (!word.empty()) return word;
    }
    return "files";
}

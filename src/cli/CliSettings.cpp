#include "CliSettings.h"

#include "language/LanguageText.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "table/TableFile.h"

namespace {
constexpr int kFilesWordText = 71;
constexpr std::size_t kWindowValueBuffer = 260; // what the window gives a stored value
} // namespace

std::string RenamePattern(const std::optional<std::string>& option)
{
    if (option) return platform::FromUtf8(*option);
    platform::CRegKey key;
    std::string value;
    if (key.Open("Software\\Velmora\\Sonadex Pro", platform::KEY_READ) == platform::ERROR_SUCCESS &&
        key.QueryStringValue("Rename", value, kWindowValueBuffer) == platform::ERROR_SUCCESS)
        return value;
    return {};
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

#include "LanguageText.h"

#include "platform/Registry.h"
#include "table/TableFile.h"

namespace {

constexpr char kVelmoraKey[] = "Software\\Velmora";
constexpr std::size_t kValueBuffer = 260;

// A value that is missing or does not fit the buffer counts as empty.
std::string QueryOrEmpty(const platform::CRegKey& key, const char* name)
{
    std::string value;
    if (key.QueryStringValue(name, value, kValueBuffer) != platform::ERROR_SUCCESS) value.clear();
    return value;
}

} // namespace

std::string GetText(CTableFile& table, int number)
{
    if (!table.FindFirst("ID=" + std::to_string(number))) return {};
    return table.GetField("Text");
}

bool LoadLanguage(CTableFile& table, std::string& langPath, std::string& language)
{
    platform::CRegKey key;
    if (key.Open(kVelmoraKey, platform::KEY_READ) != platform::ERROR_SUCCESS) return false;
    langPath = QueryOrEmpty(key, "LangPath");
    language = QueryOrEmpty(key, "Language");
    key.Close();
    return table.Load(langPath + "\\" + language + ".qzd");
}

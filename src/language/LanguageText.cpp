#include "LanguageText.h"

#include "platform/Registry.h"
#include "platform/StoredPath.h"
#include "table/TableFile.h"

#include <cstring>

namespace {

constexpr char kVelmoraKey[] = "Software\\Velmora";
constexpr std::size_t kValueBuffer = 260;
constexpr std::size_t kPathBuffer = 4096; // a path of host bytes, see the view's "LastPath"
constexpr char kLanguageExtension[] = ".qzd";

// A value that is missing or does not fit the buffer counts as empty.
std::string QueryOrEmpty(const platform::CRegKey& key, const char* name, std::size_t buffer = kValueBuffer)
{
    std::string value;
    if (key.QueryStringValue(name, value, buffer) != platform::ERROR_SUCCESS) value.clear();
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
    langPath = platform::ResolveStoredPath(QueryOrEmpty(key, "LangPath", kPathBuffer));
    language = QueryOrEmpty(key, "Language");
    key.Close();
    // The language is a file name too, stored in the old form by earlier versions.
    const std::string file =
        platform::ResolveStoredPath(langPath + "\\" + language + kLanguageExtension, langPath.size() + 1);
    language = file.substr(langPath.size() + 1, file.size() - langPath.size() - 1 - std::strlen(kLanguageExtension));
    return table.Load(file);
}

#include "LanguageText.h"

#include "platform/StoredPath.h"
#include "settings/StoredSettings.h"
#include "table/TableFile.h"

#include <cstring>

namespace {

constexpr char kLanguageExtension[] = ".qzd";

} // namespace

std::string GetText(CTableFile& table, int number)
{
    if (!table.FindFirst("ID=" + std::to_string(number))) return {};
    return table.GetField("Text");
}

bool LoadLanguage(CTableFile& table, std::string& langPath, std::string& language)
{
    const std::optional<settings::LanguageSettings> stored = settings::ReadLanguageSettings();
    if (!stored) return false;
    langPath = stored->langPath;
    language = stored->language;
    // The language is a file name too, stored in the old form by earlier versions.
    const std::string file =
        platform::ResolveStoredPath(langPath + "\\" + language + kLanguageExtension, langPath.size() + 1);
    language = file.substr(langPath.size() + 1, file.size() - langPath.size() - 1 - std::strlen(kLanguageExtension));
    return table.Load(file);
}

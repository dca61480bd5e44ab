#include "LanguageText.h"

#include "platform/CaseFold.h"
#include "platform/FoldedFolder.h"
#include "platform/Machine.h"
#include "platform/StoredPath.h"
#include "settings/StoredSettings.h"
#include "table/TableFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr char kLanguageExtension[] = ".qzd";

// The system's file names ignore case: where no file has the exact name of
// langPath\name, the one whose name differs only in case stands for it (the
// first in byte order, should the folder hold several).
std::string FileIgnoringCase(const std::string& langPath, const std::string& file)
{
    const std::optional<std::string> hostFile = platform::HostPath(file);
    const std::optional<std::string> hostFolder = platform::HostPath(langPath);
    struct stat info {};
    if (!hostFile || !hostFolder || stat(hostFile->c_str(), &info) == 0) return file;
    std::vector<std::string> names;
    const std::string name = file.substr(langPath.size() + 1);
    if (platform::NamesFoldingTo(*hostFolder, platform::FoldCase(name), names) != 0 || names.empty()) return file;
    return langPath + "\\" + std::ranges::min(names);
}

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
    const std::string file = FileIgnoringCase(
        langPath, platform::ResolveStoredPath(langPath + "\\" + language + kLanguageExtension, langPath.size() + 1));
    language = file.substr(langPath.size() + 1, file.size() - langPath.size() - 1 - std::strlen(kLanguageExtension));
    return table.Load(file);
}

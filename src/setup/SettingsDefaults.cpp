#include "SettingsDefaults.h"
#include "SetupEnvironment.h"

#include "platform/Machine.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/StoredSettings.h"

#include <filesystem>

namespace setup {

namespace {

constexpr char kDefaultPattern[] = "%1 - %2";

// A host folder as the program will see it: a system path on the drive table.
std::optional<std::string> AsSystemPath(const std::string& hostFolder)
{
    std::error_code ec;
    return platform::SystemPath(std::filesystem::absolute(hostFolder, ec).lexically_normal().string());
}

} // namespace

std::vector<SettingValue> DefaultSettings(const std::string& langPath, const std::string& language,
                                          const std::string& lastPath)
{
    return {
        {settings::kVelmoraKey, settings::kLangPathValue, langPath},
        {settings::kVelmoraKey, settings::kLanguageValue, language},
        {settings::kProgramKey, settings::kRenameValue, kDefaultPattern},
        {settings::kProgramKey, settings::kPromptValue, settings::PromptText(false)},
        {settings::kProgramKey, settings::kLastPathValue, lastPath},
    };
}

std::optional<std::vector<std::string>>
AddMissingSettings(const std::string& hiveFile, const std::vector<SettingValue>& values, std::string& problem)
{
    std::vector<std::string> added;
    const auto edit = [&](platform::CHive& hive) {
        added.clear();
        for (const char* key : settings::kKeys) {
            if (hive.HasKey(key)) continue;
            hive.AddKey(key);
            added.emplace_back(key);
        }
        for (const SettingValue& value : values) {
            if (hive.Get(value.key, value.name)) continue;
            hive.Set(value.key, value.name, value.data);
            added.push_back(value.key + "\\" + value.name);
        }
        // Nothing missing: leave the hive file untouched.
        return !added.empty();
    };
    // An edit that found nothing missing writes nothing and leaves no problem.
    const bool written = platform::UpdateHiveFile(hiveFile, edit, &problem);
    if (!written && !problem.empty()) return std::nullopt;
    return added;
}

std::optional<std::vector<std::string>> AddUserDefaults(const std::string& langFolder, const std::string& lastFolder,
                                                        std::string& problem)
{
    const std::optional<std::string> langPath = AsSystemPath(langFolder);
    const std::optional<std::string> lastPath = AsSystemPath(lastFolder);
    if (!langPath || !lastPath) {
        problem = "a folder lies on no drive of the drive table";
        return std::nullopt;
    }
    return AddMissingSettings(platform::HivePath(), DefaultSettings(*langPath, LanguageForLocale(), *lastPath),
                              problem);
}

} // namespace setup

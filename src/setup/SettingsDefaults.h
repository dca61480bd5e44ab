// The registry keys and values the program needs before its first start.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace setup {

struct SettingValue {
    std::string key; // below HKEY_LOCAL_MACHINE
    std::string name;
    std::string data; // system string
};

// The language folder, language, rename pattern, prompt flag and last folder
// (settings/SettingNames.h) with the given system paths and language, and the
// fixed pattern and prompt flag.
std::vector<SettingValue> DefaultSettings(const std::string& langPath, const std::string& language,
                                          const std::string& lastPath);

// Adds both keys and every value that the hive lacks, in one update of the
// hive file (created when missing); a value that is there is never changed.
// Returns what was added ("key\name"), or nullopt when the hive could not be
// read or written, with the reason in problem.
std::optional<std::vector<std::string>>
AddMissingSettings(const std::string& hiveFile, const std::vector<SettingValue>& values, std::string& problem);

// The defaults for the current user, added to the machine's hive file as by
// AddMissingSettings: the language files in langFolder, the locale's
// language and lastFolder as the folder opened first (host folders, shown as
// system paths on the current drive table). nullopt with the reason in problem
// when a folder lies on no drive or the hive could not be updated.
std::optional<std::vector<std::string>> AddUserDefaults(const std::string& langFolder, const std::string& lastFolder,
                                                        std::string& problem);

} // namespace setup

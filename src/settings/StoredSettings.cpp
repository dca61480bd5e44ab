#include "StoredSettings.h"

#include "SettingNames.h"
#include "platform/Registry.h"
#include "platform/StoredPath.h"

namespace settings {

namespace {

constexpr std::size_t kValueBuffer = 260;
// A path holds host bytes: a name of many non-Latin characters takes three
// bytes a character, so a path gets the host's own limit.
constexpr std::size_t kPathBuffer = 4096;

std::string ReadValue(const platform::CRegKey& key, const char* name, std::size_t buffer = kValueBuffer)
{
    std::string value;
    if (key.QueryStringValue(name, value, buffer) != platform::ERROR_SUCCESS) value.clear();
    return value;
}

std::string ReadPath(const platform::CRegKey& key, const char* name)
{
    return platform::ResolveStoredPath(ReadValue(key, name, kPathBuffer));
}

bool Write(platform::CRegKey& key, const char* name, const std::string& value)
{
    return key.SetStringValue(name, value) == platform::ERROR_SUCCESS;
}

} // namespace

std::optional<ProgramSettings> ReadProgramSettings()
{
    platform::CRegKey key;
    if (key.Open(kProgramKey, platform::KEY_READ) != platform::ERROR_SUCCESS) return std::nullopt;
    ProgramSettings values;
    values.renamePattern = ReadValue(key, kRenameValue);
    values.prompt = ReadValue(key, kPromptValue) == kPromptOn;
    values.lastPath = ReadPath(key, kLastPathValue);
    return values;
}

std::optional<LanguageSettings> ReadLanguageSettings()
{
    platform::CRegKey key;
    if (key.Open(kVelmoraKey, platform::KEY_READ) != platform::ERROR_SUCCESS) return std::nullopt;
    LanguageSettings values;
    values.langPath = ReadPath(key, kLangPathValue);
    values.language = ReadValue(key, kLanguageValue);
    return values;
}

std::string ReadRenamePattern()
{
    platform::CRegKey key;
    if (key.Open(kProgramKey, platform::KEY_READ) != platform::ERROR_SUCCESS) return {};
    return ReadValue(key, kRenameValue);
}

bool StoreLastPath(const std::string& folder)
{
    platform::CRegKey key;
    return key.Open(kProgramKey, platform::KEY_WRITE) == platform::ERROR_SUCCESS && Write(key, kLastPathValue, folder);
}

bool StoreLanguage(const std::string& language)
{
    platform::CRegKey key;
    return key.Open(kVelmoraKey, platform::KEY_WRITE) == platform::ERROR_SUCCESS &&
           Write(key, kLanguageValue, language);
}

bool StoreRenameSettings(const std::string& pattern, bool prompt)
{
    platform::CRegKey key;
    return key.Open(kProgramKey, platform::KEY_WRITE) == platform::ERROR_SUCCESS && Write(key, kRenameValue, pattern) &&
           Write(key, kPromptValue, PromptText(prompt));
}

bool StoreRenamePattern(const std::string& pattern)
{
    platform::CRegKey key;
    return key.Open(kProgramKey, platform::KEY_WRITE) == platform::ERROR_SUCCESS && Write(key, kRenameValue, pattern);
}

bool StorePrompt(bool prompt)
{
    platform::CRegKey key;
    return key.Open(kProgramKey, platform::KEY_WRITE) == platform::ERROR_SUCCESS &&
           Write(key, kPromptValue, PromptText(prompt));
}

const char* PromptText(bool prompt)
{
    return prompt ? kPromptOn : kPromptOff;
}

} // namespace settings

// Reading and writing the stored settings with the buffers the program has
// always given them: a value that is missing or does not fit counts as empty.
#pragma once

#include <optional>
#include <string>

namespace settings {

// The program key's values as the window uses them.
struct ProgramSettings {
    std::string renamePattern; // system string
    bool prompt = false;       // "Prompt" is exactly kPromptOn
    std::string lastPath;      // resolved to the folder it names now
};

// The maker's key's values, as the language loader uses them.
struct LanguageSettings {
    std::string langPath; // resolved to the folder it names now
    std::string language; // as stored
};

// nullopt when the key cannot be opened for reading.
std::optional<ProgramSettings> ReadProgramSettings();
std::optional<LanguageSettings> ReadLanguageSettings();
// "Rename" alone (no path is resolved); empty when the key or value is missing or too long.
std::string ReadRenamePattern();

// Each returns whether the key could be opened for writing and every value was written.
bool StoreLastPath(const std::string& folder);
bool StoreLanguage(const std::string& language);
bool StoreRenameSettings(const std::string& pattern, bool prompt);
// One of the two rename settings, the other left as stored.
bool StoreRenamePattern(const std::string& pattern);
bool StorePrompt(bool prompt);

// The stored form of the prompt flag.
const char* PromptText(bool prompt);

} // namespace settings

// Where the set-up finds and puts things, from the environment of the user.
#pragma once

#include <optional>
#include <string>

namespace setup {

// $HOME, else the password database's home folder.
std::string HomeFolder();
// ${XDG_DATA_HOME:-$HOME/.local/share}/sonadex-pro/lang: the language files' folder.
std::string LanguageTarget();
// "Deutsch" where the locale (LC_ALL, LC_MESSAGES, LANG, the first set) is German, else "English".
std::string LanguageForLocale();
// The user's music folder (XDG_MUSIC_DIR, ~/Music, ~/Musik), else the home folder.
std::string MusicFolder();
// The built language files: share/sonadex-pro/lang beside the installed
// program, else the build tree's lang folder. nullopt when neither exists.
std::optional<std::string> DefaultLanguageSource();

} // namespace setup

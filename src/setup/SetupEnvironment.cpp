#include "SetupEnvironment.h"

#include "platform/HostFile.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace setup {

namespace {

std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// An XDG base folder must be absolute to count.
std::string XdgFolder(const char* name, const char* fallbackBelowHome)
{
    const std::string value = Environment(name);
    return !value.empty() && value[0] == '/' ? value : HomeFolder() + "/" + fallbackBelowHome;
}

bool IsFolder(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// XDG_MUSIC_DIR from user-dirs.dirs, which writes it as "$HOME/..." or an
// absolute path. Read only as a small regular file: a folder or a FIFO of
// that name is no list of folders, and must neither stop nor stall the set-up.
std::optional<std::string> XdgMusicFolder()
{
    constexpr std::size_t kMaxUserDirs = std::size_t{64} << 10;
    const platform::BoundedRead dirs =
        platform::ReadRegularHostFile(XdgFolder("XDG_CONFIG_HOME", ".config") + "/user-dirs.dirs", kMaxUserDirs);
    const std::string key = "XDG_MUSIC_DIR=\"";
    std::istringstream lines(dirs.bytes);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key, 0) != 0 || line.back() != '"') continue;
        std::string value = line.substr(key.size(), line.size() - key.size() - 1);
        if (value.rfind("$HOME", 0) == 0) value = HomeFolder() + value.substr(5);
        if (value.empty() || value[0] != '/') return std::nullopt;
        return value;
    }
    return std::nullopt;
}

} // namespace

std::string HomeFolder()
{
    std::string home = Environment("HOME");
    if (home.empty())
        if (const passwd* user = getpwuid(getuid())) home = user->pw_dir;
    return home;
}

std::string LanguageTarget()
{
    return XdgFolder("XDG_DATA_HOME", ".local/share") + "/sonadex-pro/lang";
}

std::string LanguageForLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const std::string value = Environment(name);
        if (!value.empty()) return value.rfind("de", 0) == 0 ? "Deutsch" : "English";
    }
    return "English";
}

std::string MusicFolder()
{
    const fs::path home = HomeFolder();
    // user-dirs.dirs names the home folder itself when no music folder is set.
    const std::optional<std::string> xdg = XdgMusicFolder();
    if (xdg && IsFolder(*xdg) && fs::path(*xdg) != home) return *xdg;
    for (const char* name : {"Music", "Musik"})
        if (IsFolder(home / name)) return (home / name).string();
    return home.string();
}

std::optional<std::string> DefaultLanguageSource()
{
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return std::nullopt;
    const fs::path bin = program.parent_path();
    for (const fs::path& candidate : {bin / ".." / "share" / "sonadex-pro" / "lang", bin / ".." / ".." / "lang"})
        if (IsFolder(candidate)) return fs::weakly_canonical(candidate, ec).string();
    return std::nullopt;
}

} // namespace setup

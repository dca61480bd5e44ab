#include "HostUser.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace platform {

namespace {

// The user database entry of this process's user, as (name, home).
std::pair<std::string, std::string> PasswordEntry()
{
    const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return {};
    return {found->pw_name ? found->pw_name : "", found->pw_dir ? found->pw_dir : ""};
}

} // namespace

std::string HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    return PasswordEntry().second;
}

std::string UserName()
{
    if (std::string name = PasswordEntry().first; !name.empty()) return name;
    const char* user = std::getenv("USER");
    return user ? user : "";
}

} // namespace platform

#include "FileOps.h"

#include "Machine.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string_view>

namespace platform {

namespace {

thread_local int t_lastError = 0;

constexpr std::string_view kForbiddenInName = "<>:\"/\\|?*";

// The last name of a system path must be one Windows (and FAT, NTFS) accepts.
bool IsPortableName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..") return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || kForbiddenInName.find(c) != std::string_view::npos) return false;
    return true;
}

std::string_view LastName(std::string_view systemPath)
{
    const std::size_t slash = systemPath.rfind('\\');
    if (slash != std::string_view::npos) return systemPath.substr(slash + 1);
    // "X:name" has the drive in front of its name.
    return systemPath.size() >= 2 && systemPath[1] == ':' ? systemPath.substr(2) : systemPath;
}

bool Failed(int error)
{
    SetLastError(error);
    return false;
}

// "X:\" or "X:" -> the letter; nullopt for anything else.
std::optional<char> RootLetter(const std::string& root)
{
    if (root.size() < 2 || root[1] != ':' || root.size() > 3 || (root.size() == 3 && root[2] != '\\'))
        return std::nullopt;
    return root[0];
}

} // namespace

int LinkThenUnlink(const std::string& hostFrom, const std::string& hostTo)
{
    if (link(hostFrom.c_str(), hostTo.c_str()) != 0) return errno;
    if (unlink(hostFrom.c_str()) == 0) return 0;
    const int error = errno;
    unlink(hostTo.c_str()); // take back the new name so the move leaves nothing changed
    return error;
}

bool MoveFileA(const std::string& from, const std::string& to)
{
    if (!IsPortableName(LastName(to))) return Failed(EINVAL);
    const std::optional<std::string> hostFrom = HostPath(from);
    const std::optional<std::string> hostTo = HostPath(to);
    if (!hostFrom || !hostTo) return Failed(ENOENT);
    if (syscall(SYS_renameat2, AT_FDCWD, hostFrom->c_str(), AT_FDCWD, hostTo->c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return Failed(errno);
    // The filesystem cannot refuse to overwrite while renaming; a link cannot overwrite.
    const int error = LinkThenUnlink(*hostFrom, *hostTo);
    return error == 0 || Failed(error);
}

bool DeleteFileA(const std::string& path)
{
    const std::optional<std::string> host = HostPath(path);
    if (!host) return Failed(ENOENT);
    // unlink(2) refuses a folder (EISDIR), so no folder is ever removed.
    if (unlink(host->c_str()) != 0) return Failed(errno);
    return true;
}

DriveType GetDriveTypeA(const std::string& root)
{
    const std::optional<char> letter = RootLetter(root);
    return letter ? CurrentMachine().drives.TypeOf(*letter) : DriveType::NoRootDir;
}

bool GetVolumeInformationA(const std::string& root, std::string& label)
{
    const std::optional<char> letter = RootLetter(root);
    const Drive* drive = letter ? CurrentMachine().drives.Find(*letter) : nullptr;
    struct stat info {};
    if (!drive || stat(drive->root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return Failed(ENOENT);
    label = FromUtf8(drive->label);
    return true;
}

int GetLastError()
{
    return t_lastError;
}

void SetLastError(int error)
{
    t_lastError = error;
}

} // namespace platform

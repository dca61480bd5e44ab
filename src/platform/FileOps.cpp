#include "FileOps.h"

#include "CaseFold.h"
#include "File.h"
#include "FoldedFolder.h"
#include "Machine.h"
#include "SystemPathName.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

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

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// EEXIST when the folder of hostTo holds an entry whose name folds as the
// target's does and that is not the moved file under another case (an entry
// of exactly the target's name is always taken); 0 when none does.
int CaseClash(const std::string& hostTo, const struct stat& source)
{
    const std::size_t slash = hostTo.rfind('/');
    const std::string folder = slash == 0 ? "/" : hostTo.substr(0, slash);
    const std::string_view name = std::string_view(hostTo).substr(slash + 1);
    std::vector<std::string> alike;
    if (const int error = NamesFoldingTo(folder, FoldCase(name), alike); error != 0) return error;
    for (const std::string& entry : alike) {
        struct stat info {};
        const std::string path = JoinHostPath(folder, entry);
        const bool itself = entry != name && lstat(path.c_str(), &info) == 0 && SameFile(info, source);
        if (!itself) return EEXIST;
    }
    return 0;
}

// MoveCheck, with the host paths for the move when it passes.
int CheckMove(const std::string& from, const std::string& to, std::string& hostFrom, std::string& hostTo)
{
    if (!IsPortableName(NameOfSystemPath(to))) return EINVAL;
    const std::optional<std::string> fromPath = HostPath(from);
    const std::optional<std::string> toPath = HostPath(to);
    if (!fromPath || !toPath) return ENOENT;
    struct stat source {};
    if (lstat(fromPath->c_str(), &source) != 0) return errno;
    hostFrom = *fromPath;
    hostTo = *toPath;
    return hostFrom == hostTo ? 0 : CaseClash(hostTo, source);
}

// 0 when this process may change the entries of the folder holding hostPath,
// else the errno value a rename there would fail with (EACCES, EROFS).
int FolderWriteError(const std::string& hostPath)
{
    const std::size_t slash = hostPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : hostPath.substr(0, slash);
    return faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0 : errno;
}

} // namespace

int MoveCheck(const std::string& from, const std::string& to)
{
    std::string hostFrom, hostTo;
    if (const int error = CheckMove(from, to, hostFrom, hostTo); error != 0 || hostFrom == hostTo) return error;
    if (const int error = FolderWriteError(hostFrom); error != 0) return error;
    return FolderWriteError(hostTo);
}

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
    std::string hostFrom, hostTo;
    if (const int error = CheckMove(from, to, hostFrom, hostTo); error != 0) return Failed(error);
    if (hostFrom == hostTo) return true;
    // The check above saw no clash; RENAME_NOREPLACE still refuses a name
    // that appeared since, so a file is never overwritten.
    if (syscall(SYS_renameat2, AT_FDCWD, hostFrom.c_str(), AT_FDCWD, hostTo.c_str(), RENAME_NOREPLACE) == 0) {
        NoteMove(hostFrom, hostTo);
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return Failed(errno);
    // The filesystem cannot refuse to overwrite while renaming; a link cannot overwrite.
    const int error = LinkThenUnlink(hostFrom, hostTo);
    if (error != 0) return Failed(error);
    NoteMove(hostFrom, hostTo);
    return true;
}

bool DeleteFileA(const std::string& path)
{
    TrashEntry trashed;
    return DeleteFileA(path, trashed);
}

bool DeleteFileA(const std::string& path, TrashEntry& trashed)
{
    const std::optional<std::string> host = HostPath(path);
    if (!host) return Failed(ENOENT);
    struct stat info {};
    if (lstat(host->c_str(), &info) != 0) return Failed(errno);
    if (S_ISDIR(info.st_mode)) return Failed(EISDIR);
    // A link's own mode says nothing; trashing the link leaves its target alone.
    if (!S_ISLNK(info.st_mode) && IsReadOnlyMode(info.st_mode)) return Failed(EACCES);
    const TrashResult result = MoveToTrash(*host);
    if (!result.Ok()) return Failed(result.error);
    trashed = result.entry;
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
    label = drive->label;
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

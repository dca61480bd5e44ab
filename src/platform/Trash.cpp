#include "Trash.h"

#include "HostUser.h"
#include "MountTable.h"
#include "SystemPathName.h"
#include "UniqueFd.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <utility>

namespace platform {

namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";
constexpr mode_t kTrashFolderMode = 0700;
constexpr mode_t kInfoFileMode = 0600;
// Past this many taken names something is wrong with the trash, not unlucky.
constexpr int kMaxNameTries = 10000;
constexpr std::string_view kHexDigits = "0123456789ABCDEF";
// RFC 2396 "unreserved" marks; letters and digits stay too, and '/' is kept.
constexpr std::string_view kUnreservedMarks = "-_.!~*'()";

std::string ErrorText(int error)
{
    return std::strerror(error);
}

TrashOutcome Refused(int error, const std::string& reason)
{
    return {error, reason + ": " + ErrorText(error)};
}

TrashResult Failure(TrashOutcome outcome)
{
    TrashResult result;
    static_cast<TrashOutcome&>(result) = std::move(outcome);
    return result;
}

TrashResult RefusedResult(int error, const std::string& reason)
{
    return Failure(Refused(error, reason));
}

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

int HexValue(char c)
{
    const std::size_t at = kHexDigits.find(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

int RenameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to)
{
    if (syscall(SYS_renameat2, fromDir, from.c_str(), toDir, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // The filesystem cannot refuse to overwrite while renaming; a link cannot overwrite.
    if (linkat(fromDir, from.c_str(), toDir, to.c_str(), 0) != 0) return errno;
    if (unlinkat(fromDir, from.c_str(), 0) == 0) return 0;
    const int error = errno;
    unlinkat(toDir, to.c_str(), 0);
    return error;
}

UniqueFd OpenFolder(int at, const std::string& path)
{
    return UniqueFd(openat(at, path.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// --- where the trash is -----------------------------------------------------

// "" when neither XDG_DATA_HOME (absolute, as the XDG rules want) nor a home folder is known.
std::string HomeTrashPath()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') return JoinHostPath(data, "Trash");
    const std::string home = HomeFolder();
    return home.empty() ? "" : JoinHostPath(home, ".local/share/Trash");
}

// The device the home trash is (or will be, once made) on.
std::optional<dev_t> DeviceOf(std::string path)
{
    struct stat info {};
    while (stat(path.c_str(), &info) != 0) {
        if (path == "/") return std::nullopt;
        path = ParentOf(path);
    }
    return info.st_dev;
}

// The folder the mount holding folder is mounted on: the last one up on the
// same device, or deeper where the mount table names a mount of the same
// filesystem there (a bind mount keeps the device).
std::string MountTop(const std::string& folder, dev_t device)
{
    std::string top = folder;
    struct stat info {};
    while (top != "/" && stat(ParentOf(top).c_str(), &info) == 0 && info.st_dev == device)
        top = ParentOf(top);
    const MountTable mounts = MountTable::ReadHost();
    const Mount* mount = mounts.Holding(folder);
    if (mount && mount->dir.size() > top.size() && stat(mount->dir.c_str(), &info) == 0 && info.st_dev == device)
        top = mount->dir;
    return top;
}

// --- an open trash folder ---------------------------------------------------

struct OpenTrash {
    std::string path;
    UniqueFd files;
    UniqueFd info;
};

// Makes the missing folders of path (0700, as the trash and XDG folders want).
int MakeFolders(const std::string& path)
{
    if (mkdir(path.c_str(), kTrashFolderMode) == 0 || errno == EEXIST) return 0;
    if (errno != ENOENT || path == "/") return errno;
    if (const int error = MakeFolders(ParentOf(path)); error != 0) return error;
    return mkdir(path.c_str(), kTrashFolderMode) == 0 || errno == EEXIST ? 0 : errno;
}

int OpenSubfolder(int trash, const char* name, UniqueFd& into)
{
    if (mkdirat(trash, name, kTrashFolderMode) != 0 && errno != EEXIST) return errno;
    into = OpenFolder(trash, name);
    return into.IsValid() ? 0 : errno;
}

// Opens (making what is missing) a trash folder with its files/ and info/.
// A mount's trash must be a real folder of this user, not a link someone laid.
int OpenTrashFolder(const std::string& path, bool mustBeOwn, OpenTrash& trash)
{
    if (const int error = MakeFolders(path); error != 0) return error;
    const UniqueFd folder = OpenFolder(AT_FDCWD, path);
    struct stat info {};
    if (!folder.IsValid() || fstat(folder.Get(), &info) != 0) return errno;
    if (!S_ISDIR(info.st_mode)) return ENOTDIR;
    if (mustBeOwn && info.st_uid != geteuid()) return EPERM;
    trash.path = path;
    if (const int error = OpenSubfolder(folder.Get(), "files", trash.files); error != 0) return error;
    return OpenSubfolder(folder.Get(), "info", trash.info);
}

// An administrator's $topdir/.Trash counts only as a sticky real folder.
bool IsSharedTrash(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) != 0;
}

// $topdir/.Trash/$uid where the shared one may be used, else $topdir/.Trash-$uid.
TrashOutcome OpenMountTrash(const std::string& top, OpenTrash& trash)
{
    const std::string uid = std::to_string(geteuid());
    if (IsSharedTrash(JoinHostPath(top, ".Trash")) &&
        OpenTrashFolder(JoinHostPath(top, ".Trash/" + uid), true, trash) == 0)
        return {};
    const std::string own = JoinHostPath(top, ".Trash-" + uid);
    if (const int error = OpenTrashFolder(own, true, trash); error != 0)
        return Refused(error, "no trash can be used on the mount " + top + " (" + own + ")");
    return {};
}

// --- putting a file in ----------------------------------------------------------

std::string DeletionDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

std::string InfoText(const std::string& pathValue)
{
    return "[Trash Info]\nPath=" + EncodeTrashPath(pathValue) + "\nDeletionDate=" + DeletionDate() + "\n";
}

// Cuts a name to at most size bytes, not inside a UTF-8 sequence.
std::string CutName(std::string name, std::size_t size)
{
    if (name.size() <= size) return name;
    while (size > 0 && (static_cast<unsigned char>(name[size]) & 0xC0) == 0x80)
        --size;
    return name.substr(0, size);
}

// "song.mp3", then "song.2.mp3", "song.3.mp3" ...; short enough that the
// .trashinfo name fits the filesystem's name limit. The extension stays
// where it leaves room, so the file manager still knows the file's type.
std::string TrashedName(const std::string& name, int attempt)
{
    std::string number = attempt > 1 ? std::to_string(attempt) : "";
    if (!number.empty()) number.insert(0, 1, '.');
    const std::size_t room = NAME_MAX - kInfoSuffix.size() - number.size();
    const std::size_t dot = name.rfind('.');
    const bool keepExtension = dot != std::string::npos && dot > 0 && name.size() - dot < room;
    const std::string extension = keepExtension ? name.substr(dot) : "";
    return CutName(keepExtension ? name.substr(0, dot) : name, room - extension.size()) + number + extension;
}

int WriteAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        done += static_cast<std::size_t>(n);
    }
    return fsync(fd) == 0 ? 0 : errno;
}

// The .trashinfo comes first and claims the name (O_EXCL); it is on disk
// before the file moves, so the file manager can always tell where it was.
// EEXIST when the name is taken.
int WriteInfo(const OpenTrash& trash, const std::string& infoName, const std::string& text)
{
    UniqueFd info(openat(trash.info.Get(), infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         kInfoFileMode));
    if (!info.IsValid()) return errno;
    int error = WriteAll(info.Get(), text);
    if (!info.Close() && error == 0) error = errno;
    if (error != 0) unlinkat(trash.info.Get(), infoName.c_str(), 0);
    return error;
}

// Moves folder/name into the trash under the first free name.
int PutInTrash(const OpenTrash& trash, int folder, const std::string& name, const std::string& pathValue,
               std::string& trashedName)
{
    const std::string text = InfoText(pathValue);
    for (int attempt = 1; attempt <= kMaxNameTries; ++attempt) {
        const std::string candidate = TrashedName(name, attempt);
        const std::string infoName = candidate + std::string(kInfoSuffix);
        int error = WriteInfo(trash, infoName, text);
        if (error == EEXIST) continue;
        if (error != 0) return error;
        error = RenameNoReplace(folder, name, trash.files.Get(), candidate);
        if (error == 0) {
            trashedName = candidate;
            return 0;
        }
        unlinkat(trash.info.Get(), infoName.c_str(), 0);
        if (error != EEXIST) return error; // EEXIST: a file without its info holds the name
    }
    return EEXIST;
}

struct Source {
    std::string folder; // resolved
    std::string name;
    UniqueFd folderFd;
    struct stat info {};
};

TrashOutcome OpenSource(const std::string& hostPath, Source& source)
{
    const std::size_t slash = hostPath.rfind('/');
    source.name = slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
    if (source.name.empty() || source.name == "." || source.name == "..")
        return Refused(EINVAL, hostPath + " names no file");
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : hostPath.substr(0, slash);
    const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(folder.c_str(), nullptr), &std::free);
    if (!resolved) return Refused(errno, "cannot find the folder of " + hostPath);
    source.folder = resolved.get();
    source.folderFd = OpenFolder(AT_FDCWD, source.folder);
    if (!source.folderFd.IsValid()) return Refused(errno, "cannot open " + source.folder);
    // The name itself is not followed: a link goes to the trash, its target stays.
    if (fstatat(source.folderFd.Get(), source.name.c_str(), &source.info, AT_SYMLINK_NOFOLLOW) != 0)
        return Refused(errno, "cannot find " + hostPath);
    if (S_ISDIR(source.info.st_mode)) return Refused(EISDIR, hostPath + " is a folder");
    return {};
}

TrashResult MoveInto(const OpenTrash& trash, const Source& source, const std::string& pathValue)
{
    TrashResult result;
    std::string trashedName;
    if (const int error = PutInTrash(trash, source.folderFd.Get(), source.name, pathValue, trashedName); error != 0)
        return RefusedResult(error, "cannot move " + JoinHostPath(source.folder, source.name) + " into " + trash.path);
    result.entry = {trash.path, trashedName, JoinHostPath(source.folder, source.name), source.info.st_dev,
                    source.info.st_ino};
    return result;
}

// The home trash holds files of its own mount; their Path= is absolute.
std::optional<TrashResult> TryHomeTrash(const Source& source)
{
    const std::string home = HomeTrashPath();
    if (home.empty() || DeviceOf(home) != source.info.st_dev) return std::nullopt;
    OpenTrash trash;
    if (const int error = OpenTrashFolder(home, false, trash); error != 0)
        return RefusedResult(error, "cannot use the home trash " + home);
    TrashResult result = MoveInto(trash, source, JoinHostPath(source.folder, source.name));
    // Another mount of the same filesystem (a bind mount) cannot rename into
    // the home trash; its own mount's trash can take the file.
    if (result.error == EXDEV) return std::nullopt;
    return result;
}

// A mount's trash: Path= is relative to the mount's top folder.
TrashResult UseMountTrash(const Source& source)
{
    const std::string top = MountTop(source.folder, source.info.st_dev);
    OpenTrash trash;
    if (TrashOutcome opened = OpenMountTrash(top, trash); !opened.Ok()) return Failure(std::move(opened));
    const std::string path = JoinHostPath(source.folder, source.name);
    return MoveInto(trash, source, top == "/" ? path.substr(1) : path.substr(top.size() + 1));
}

} // namespace

std::string TrashEntry::FilePath() const
{
    return trashFolder + "/files/" + trashedName;
}

std::string TrashEntry::InfoPath() const
{
    return trashFolder + "/info/" + trashedName + std::string(kInfoSuffix);
}

std::string EncodeTrashPath(std::string_view path)
{
    std::string text;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool kept =
            (byte < 0x80 && std::isalnum(byte)) || c == '/' || kUnreservedMarks.find(c) != std::string_view::npos;
        if (kept) {
            text += c;
        } else {
            text += '%';
            text += kHexDigits[byte >> 4];
            text += kHexDigits[byte & 0x0F];
        }
    }
    return text;
}

std::optional<std::string> DecodeTrashPath(std::string_view text)
{
    std::string path;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            path += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0) return std::nullopt;
        path += static_cast<char>(high << 4 | low);
        i += 2;
    }
    return path;
}

TrashResult MoveToTrash(const std::string& hostPath)
{
    Source source;
    if (TrashOutcome opened = OpenSource(hostPath, source); !opened.Ok()) return Failure(std::move(opened));
    if (std::optional<TrashResult> home = TryHomeTrash(source)) return std::move(*home);
    return UseMountTrash(source);
}

bool IsInTrash(const TrashEntry& entry)
{
    struct stat info {};
    return lstat(entry.FilePath().c_str(), &info) == 0 && info.st_dev == entry.device && info.st_ino == entry.inode;
}

TrashOutcome RestoreFromTrash(const TrashEntry& entry)
{
    if (!IsInTrash(entry)) return Refused(ENOENT, entry.originalPath + " is no longer in the trash");
    const UniqueFd files = OpenFolder(AT_FDCWD, entry.trashFolder + "/files");
    const UniqueFd folder = OpenFolder(AT_FDCWD, ParentOf(entry.originalPath));
    if (!files.IsValid() || !folder.IsValid())
        return Refused(errno, "cannot open the folders to move " + entry.originalPath + " back");
    const std::string name = entry.originalPath.substr(entry.originalPath.rfind('/') + 1);
    if (const int error = RenameNoReplace(files.Get(), entry.trashedName, folder.Get(), name); error != 0)
        return Refused(error, "cannot move " + entry.originalPath + " back from the trash");
    // The file is back; an info file that outlives it would show a ghost in the trash.
    unlink(entry.InfoPath().c_str());
    return {};
}

} // namespace platform

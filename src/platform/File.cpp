#include "File.h"

#include "Machine.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace platform {

namespace {

int AccessFlags(unsigned flags)
{
    if (flags & CFile::modeReadWrite) return O_RDWR;
    if (flags & CFile::modeWrite) return O_WRONLY;
    return O_RDONLY;
}

bool Writes(unsigned flags)
{
    return (flags & (CFile::modeWrite | CFile::modeReadWrite)) != 0;
}

bool TruncatesOnOpen(unsigned flags)
{
    return Writes(flags) && (flags & CFile::modeCreate) && !(flags & CFile::modeNoTruncate);
}

// Opens without truncating: an existing file is emptied only after its lock
// is ours, so a failed open never touches a file another opener holds.
// O_NONBLOCK keeps a FIFO from stalling the open. It stays set: it has no
// effect on a regular file, the only kind that opens, and clearing it would
// cost two more system calls per file. info receives the file's status.
// A relative hostPath is taken from folderFd (AT_FDCWD: the working folder).
int OpenLocked(int folderFd, const std::string& hostPath, unsigned flags, struct stat& info)
{
    const int fd = openat(folderFd, hostPath.c_str(), SystemOpenFlags(flags), 0666);
    if (fd < 0) return -1;
    const int error = PrepareOpened(fd, flags, info);
    if (error == 0) return fd;
    close(fd);
    errno = error;
    return -1;
}

std::string Describe(const std::string& path, int osError, const std::string& what)
{
    return what + " '" + path + "': " + std::strerror(osError);
}

} // namespace

int SystemOpenFlags(unsigned flags)
{
    const int createFlag = (flags & CFile::modeCreate) ? O_CREAT : 0;
    return AccessFlags(flags) | createFlag | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
}

int PrepareOpened(int fd, unsigned flags, struct stat& info)
{
    if (fstat(fd, &info) != 0) return errno;
    if (S_ISDIR(info.st_mode)) return EISDIR;
    if (!S_ISREG(info.st_mode)) return EINVAL; // devices, pipes and sockets are no files in the Windows sense
    if (Writes(flags) && IsReadOnlyMode(info.st_mode))
        return EACCES; // as the read-only attribute binds every user, root too
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return errno;
    if (TruncatesOnOpen(flags) && ftruncate(fd, 0) != 0) return errno;
    if (TruncatesOnOpen(flags)) info.st_size = 0;
    return 0;
}

CFileException::CFileException(std::string path, int osError, const std::string& what)
    : std::runtime_error(Describe(path, osError, what)), m_path(std::move(path)), m_osError(osError)
{
}

CFile::~CFile()
{
    if (m_fd >= 0) close(m_fd);
}

CFile::CFile(CFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_lastError(other.m_lastError), m_path(std::move(other.m_path)),
      m_length(std::exchange(other.m_length, std::nullopt)), m_identity(other.m_identity)
{
}

CFile& CFile::operator=(CFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0) close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_lastError = other.m_lastError;
        m_path = std::move(other.m_path);
        m_length = std::exchange(other.m_length, std::nullopt);
        m_identity = other.m_identity;
    }
    return *this;
}

bool CFile::Open(const std::string& systemPath, unsigned flags)
{
    const std::optional<std::string> host = HostPath(systemPath);
    if (!host) {
        if (m_fd >= 0) Close();
        m_path = systemPath;
        m_lastError = ENOENT;
        return false;
    }
    const bool opened = OpenHost(*host, flags);
    m_path = systemPath;
    return opened;
}

bool CFile::OpenHost(const std::string& hostPath, unsigned flags)
{
    return OpenLockedAt(AT_FDCWD, hostPath, hostPath, flags);
}

bool CFile::OpenIn(int folderFd, const std::string& hostName, const std::string& systemPath, unsigned flags)
{
    return OpenLockedAt(folderFd, hostName, systemPath, flags);
}

bool CFile::OpenLockedAt(int folderFd, const std::string& hostPath, const std::string& shownPath, unsigned flags)
{
    if (m_fd >= 0) Close();
    m_path = shownPath;
    struct stat info {};
    m_fd = OpenLocked(folderFd, hostPath, flags, info);
    m_lastError = m_fd < 0 ? errno : 0;
    if (m_fd >= 0) {
        m_length = static_cast<std::uint64_t>(info.st_size);
        m_identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    }
    return m_fd >= 0;
}

void CFile::Adopt(UniqueFd fd, const std::string& systemPath, std::uint64_t length, const FileIdentity& identity)
{
    if (m_fd >= 0) Close();
    m_path = systemPath;
    m_fd = fd.Release();
    m_lastError = 0;
    m_length = length;
    m_identity = identity;
}

std::uint64_t CFile::GetLength() const
{
    if (m_length) return *m_length;
    struct stat info {};
    if (fstat(m_fd, &info) != 0) Fail("Cannot get the length of");
    m_length = static_cast<std::uint64_t>(info.st_size);
    return *m_length;
}

void CFile::SetLength(std::uint64_t length)
{
    m_length.reset(); // a failed ftruncate may still have changed it
    if (ftruncate(m_fd, static_cast<off_t>(length)) != 0) Fail("Cannot set the length of");
    m_length = length;
}

std::uint64_t CFile::Seek(std::int64_t offset, SeekPosition from)
{
    const int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    const off_t position = lseek(m_fd, static_cast<off_t>(offset), whence);
    if (position < 0) Fail("Cannot seek in");
    return static_cast<std::uint64_t>(position);
}

template <typename Call> std::size_t CFile::Transfer(void* buffer, std::size_t count, Call call, const char* what) const
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = call(bytes + done, count - done, done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail(what);
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

template <typename Call> void CFile::WriteAll(const void* buffer, std::size_t count, Call call) const
{
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = call(bytes + done, count - done, done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) Fail("Cannot write");
        if (put == 0) {
            errno = EIO; // a write that makes no progress would loop forever
            Fail("Cannot write");
        }
        done += static_cast<std::size_t>(put);
    }
}

std::size_t CFile::Read(void* buffer, std::size_t count)
{
    return Transfer(
        buffer, count, [this](char* at, std::size_t want, std::size_t) { return read(m_fd, at, want); }, "Cannot read");
}

std::size_t CFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t count)
{
    return Transfer(
        buffer, count,
        [this, offset](char* at, std::size_t want, std::size_t done) {
            return pread(m_fd, at, want, static_cast<off_t>(offset + done));
        },
        "Cannot read");
}

void CFile::Write(const void* buffer, std::size_t count)
{
    m_length.reset(); // the end now depends on the file position
    WriteAll(buffer, count, [this](const char* at, std::size_t want, std::size_t) { return write(m_fd, at, want); });
}

void CFile::WriteAt(std::uint64_t offset, const void* buffer, std::size_t count)
{
    const std::optional<std::uint64_t> before = std::exchange(m_length, std::nullopt);
    WriteAll(buffer, count, [this, offset](const char* at, std::size_t want, std::size_t done) {
        return pwrite(m_fd, at, want, static_cast<off_t>(offset + done));
    });
    if (before) m_length = std::max(*before, offset + count);
}

void CFile::Flush()
{
    if (fsync(m_fd) != 0) Fail("Cannot flush");
}

void CFile::Close()
{
    if (m_fd < 0) return;
    const int fd = std::exchange(m_fd, -1);
    m_length.reset();
    // Linux closes the descriptor even when close reports EINTR; any other
    // error may mean written data did not reach the disk.
    if (close(fd) != 0 && errno != EINTR) Fail("Cannot close");
}

void CFile::Fail(const char* what) const
{
    throw CFileException(m_path, errno, what);
}

} // namespace platform

#include "File.h"

#include "Machine.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool TruncatesOnOpen(unsigned flags)
{
    const bool writes = (flags & (CFile::modeWrite | CFile::modeReadWrite)) != 0;
    return writes && (flags & CFile::modeCreate) && !(flags & CFile::modeNoTruncate);
}

// Opens without truncating: an existing file is emptied only after its lock
// is ours, so a failed open never touches a file another opener holds.
// O_NONBLOCK keeps a FIFO from stalling the open; it is cleared afterwards.
int OpenLocked(const std::string& hostPath, unsigned flags)
{
    const int createFlag = (flags & CFile::modeCreate) ? O_CREAT : 0;
    const int fd = open(hostPath.c_str(), AccessFlags(flags) | createFlag | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
    if (fd < 0) return -1;
    struct stat info {};
    int error = 0;
    if (fstat(fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    else if (!S_ISREG(info.st_mode))
        error = EINVAL; // devices, pipes and sockets are no files in the Windows sense
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        error = errno;
    else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        error = errno;
    else if (TruncatesOnOpen(flags) && ftruncate(fd, 0) != 0)
        error = errno;
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

CFileException::CFileException(std::string path, int osError, const std::string& what)
    : std::runtime_error(Describe(path, osError, what)), m_path(std::move(path)), m_osError(osError)
{
}

CFile::~CFile()
{
    if (m_fd >= 0) close(m_fd);
}

CFile::CFile(CFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_lastError(other.m_lastError), m_path(std::move(other.m_path))
{
}

CFile& CFile::operator=(CFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0) close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_lastError = other.m_lastError;
        m_path = std::move(other.m_path);
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
    if (m_fd >= 0) Close();
    m_path = hostPath;
    m_fd = OpenLocked(hostPath, flags);
    m_lastError = m_fd < 0 ? errno : 0;
    return m_fd >= 0;
}

std::uint64_t CFile::GetLength() const
{
    struct stat info {};
    if (fstat(m_fd, &info) != 0) Fail("Cannot get the length of");
    return static_cast<std::uint64_t>(info.st_size);
}

void CFile::SetLength(std::uint64_t length)
{
    if (ftruncate(m_fd, static_cast<off_t>(length)) != 0) Fail("Cannot set the length of");
}

std::uint64_t CFile::Seek(std::int64_t offset, SeekPosition from)
{
    const int whence = from == begin ? SEEK_SET : from == current ? SEEK_CUR : SEEK_END;
    const off_t position = lseek(m_fd, static_cast<off_t>(offset), whence);
    if (position < 0) Fail("Cannot seek in");
    return static_cast<std::uint64_t>(position);
}

std::size_t CFile::Read(void* buffer, std::size_t count)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = read(m_fd, bytes + done, count - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail("Cannot read");
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void CFile::Write(const void* buffer, std::size_t count)
{
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t put = write(m_fd, bytes + done, count - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) Fail("Cannot write");
        if (put == 0) {
            errno = EIO; // a write that makes no progress would loop forever
            Fail("Cannot write");
        }
        done += static_cast<std::size_t>(put);
    }
}

void CFile::Flush()
{
    if (fsync(m_fd) != 0) Fail("Cannot flush");
}

void CFile::Close()
{
    if (m_fd < 0) return;
    const int fd = std::exchange(m_fd, -1);
    // Linux closes the descriptor even when close reports EINTR; any other
    // error may mean written data did not reach the disk.
    if (close(fd) != 0 && errno != EINTR) Fail("Cannot close");
}

void CFile::Fail(const char* what) const
{
    throw CFileException(m_path, errno, what);
}

} // namespace platform

// A file opened through a system path, with the Windows exclusive-access rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "UniqueFd.h"

struct stat;

namespace platform {

// Raised by CFile for a failure after a successful open. The one exception
// type of the program; callers catch it at the command level.
class CFileException : public std::runtime_error {
public:
    CFileException(std::string path, int osError, const std::string& what);
    const std::string& Path() const { return m_path; }
    int OsError() const { return m_osError; } // errno value

private:
    std::string m_path;
    int m_osError;
};

// A file with no write permission bit is read-only for every user, root
// included, as the read-only attribute is: opening it for writing fails
// (EACCES) and deleting it fails; moving it works. mode: st_mode.
inline bool IsReadOnlyMode(unsigned mode)
{
    return (mode & 0222) == 0;
}

// Which file a name led to: the same pair is the same file, whatever its name.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The open(2) flags CFile opens with for flags (CFile::OpenFlags).
int SystemOpenFlags(unsigned flags);
// Checks and prepares a descriptor just opened with flags (CFile::OpenFlags):
// only a regular file opens, and its lock is taken before anything changes
// it. info receives the file's status. Returns 0 or an errno value.
int PrepareOpened(int fd, unsigned flags, struct stat& info);

// While open, the file holds a non-blocking flock(LOCK_EX), so a second
// opener (in this or another process) fails to open it, as on Windows.
class CFile {
public:
    enum OpenFlags : unsigned {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        modeCreate = 0x1000,     // create, or empty an existing file
        modeNoTruncate = 0x2000, // with modeCreate: keep an existing file's bytes
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    CFile(CFile&& other) noexcept;
    CFile& operator=(CFile&& other) noexcept;

    // systemPath is a system path ("C:\x\y.mp3"). Fails (false) for a missing
    // file without modeCreate, a folder, a file another opener holds, an
    // unmapped drive. The errno value of the failure is kept in LastError().
    bool Open(const std::string& systemPath, unsigned flags);
    // Same, for a host path (UTF-8); used by tools that work outside drives.
    bool OpenHost(const std::string& hostPath, unsigned flags);
    // Same, for the entry hostName of an open folder (a descriptor the caller
    // keeps open); systemPath is the file's name in messages. Saves the system
    // the walk of the whole path for every file of a large folder: on a
    // network share each step of that walk may be a round trip.
    bool OpenIn(int folderFd, const std::string& hostName, const std::string& systemPath, unsigned flags);
    // Takes over a descriptor opened, checked and locked as Open does
    // (PrepareOpened); systemPath is the file's name in messages.
    void Adopt(UniqueFd fd, const std::string& systemPath, std::uint64_t length, const FileIdentity& identity);
    int LastError() const { return m_lastError; }
    bool IsOpen() const { return m_fd >= 0; }

    // Known from the open; asked of the system again only after a Write
    // through the file position, whose end the object does not track.
    std::uint64_t GetLength() const;
    void SetLength(std::uint64_t length);
    std::uint64_t Seek(std::int64_t offset, SeekPosition from);
    std::uint64_t SeekToEnd() { return Seek(0, end); }
    // Reads up to count bytes; returns how many were read (0 at end of file).
    std::size_t Read(void* buffer, std::size_t count);
    // Writes all bytes or throws.
    void Write(const void* buffer, std::size_t count);
    // As Read and Write, at offset, leaving the file position alone (one
    // system call where Seek and Read take two).
    std::size_t ReadAt(std::uint64_t offset, void* buffer, std::size_t count);
    void WriteAt(std::uint64_t offset, const void* buffer, std::size_t count);
    void Flush(); // fsync
    void Close();

    const std::string& GetFilePath() const { return m_path; }
    // Device and inode, known from the open.
    const FileIdentity& GetIdentity() const { return m_identity; }

private:
    // The loops of Read/ReadAt and Write/WriteAt; call(at, want, done) is one
    // system call for the bytes still to go.
    template <typename Call> std::size_t Transfer(void* buffer, std::size_t count, Call call, const char* what) const;
    template <typename Call> void WriteAll(const void* buffer, std::size_t count, Call call) const;
    [[noreturn]] void Fail(const char* what) const;
    bool OpenLockedAt(int folderFd, const std::string& hostPath, const std::string& shownPath, unsigned flags);

    int m_fd = -1;
    int m_lastError = 0;
    std::string m_path;
    // Nobody else may open the file while we hold it, so the length the open
    // learnt stays true until this object changes it.
    mutable std::optional<std::uint64_t> m_length;
    FileIdentity m_identity;
};

} // namespace platform

// The first and last bytes of many files of one folder, each opened and
// locked as CFile opens a file for reading.
#pragma once

#include "File.h"
#include "UniqueFd.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace platform {

// What one file's read found.
struct FileEnds {
    static constexpr std::size_t kMostHead = 16;
    static constexpr std::size_t kTail = 128;

    int openError = 0; // errno of the open, the status check or the lock; 0: it opened
    int readError = 0; // errno of a read that failed once the file was open; 0: none
    std::uint64_t length = 0;
    FileIdentity identity;
    std::size_t headRead = 0; // bytes read at the start, up to the head size asked for
    bool tailRead = false;    // the last kTail bytes, read when the file is longer than that
    std::array<char, kMostHead> head{};
    std::array<char, kTail> tail{};
    UniqueFd fd; // the file, still open and locked, when the reader holds files for writing
};

// Through io_uring where the kernel offers it: one system call opens, reads
// or closes a whole batch, leaving the status check and the lock as the
// calls each file still costs, and a cold disk or a share gets the batch's
// requests in flight at once. Elsewhere (an old kernel, a sandbox that
// forbids it) each file takes its own calls. The results are the same.
class CFileEndsReader {
public:
    enum class Calls { Batched, Plain };
    // Read: each file opens for reading and is closed again. HoldForWriting:
    // it opens for reading and writing (a read-only file fails with EACCES,
    // as in CFile) and stays open in FileEnds::fd, so a change read now is
    // written without opening it again.
    enum class Mode { Read, HoldForWriting };
    static constexpr std::size_t kMostFiles = 32; // names per Read

    explicit CFileEndsReader(Calls calls = Calls::Batched);
    ~CFileEndsReader();
    CFileEndsReader(const CFileEndsReader&) = delete;
    CFileEndsReader& operator=(const CFileEndsReader&) = delete;
    CFileEndsReader(CFileEndsReader&&) noexcept;
    CFileEndsReader& operator=(CFileEndsReader&&) noexcept;

    bool IsBatched() const { return m_ring != nullptr; }

    // Fills ends[i] for the entry names[i] of the open folder folderFd, at most
    // kMostFiles of them, reading headSize (at most FileEnds::kMostHead) bytes
    // at each file's start. Two names of one file in a batch refuse each
    // other the lock (EWOULDBLOCK).
    void Read(int folderFd, std::span<const char* const> names, std::size_t headSize, std::span<FileEnds> ends,
              Mode mode = Mode::Read);
    // Read for the names nameOf(0) to nameOf(count - 1), count at most
    // kMostFiles; the ends in the same order.
    template <typename NameOf>
    std::array<FileEnds, kMostFiles> ReadNamed(int folderFd, std::size_t count, NameOf nameOf, std::size_t headSize,
                                               Mode mode = Mode::Read)
    {
        std::array<const char*, kMostFiles> names{};
        count = std::min(count, kMostFiles);
        for (std::size_t i = 0; i < count; ++i)
            names.at(i) = nameOf(i);
        std::array<FileEnds, kMostFiles> ends{};
        Read(folderFd, std::span(names.data(), count), headSize, ends, mode);
        return ends;
    }

private:
    struct Ring;
    // The ring's steps of a batch: open every name (fds[i] receives file i),
    // then check, lock and read each file that opened.
    void OpenBatch(int folderFd, std::span<const char* const> names, Mode mode, std::span<UniqueFd> fds,
                   std::span<FileEnds> ends);
    void ReadBatch(std::span<const UniqueFd> fds, std::size_t headSize, Mode mode, std::span<FileEnds> ends,
                   std::span<int> results);

    std::unique_ptr<Ring> m_ring;
};

} // namespace platform

#include "FileEndsReader.h"

#include <fcntl.h>
#include <liburing.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

namespace platform {

namespace {

constexpr unsigned kRingEntries = 2 * CFileEndsReader::kMostFiles; // a head and a tail read per file

unsigned OpenFlags(CFileEndsReader::Mode mode)
{
    return mode == CFileEndsReader::Mode::Read ? CFile::modeRead : CFile::modeReadWrite;
}

// The status check and the lock CFile takes; false (and the reason kept) when the file may not be read.
bool Prepare(int fd, CFileEndsReader::Mode mode, FileEnds& ends)
{
    struct stat info {};
    ends.openError = PrepareOpened(fd, OpenFlags(mode), info);
    if (ends.openError != 0) return false;
    ends.length = static_cast<std::uint64_t>(info.st_size);
    ends.identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    return true;
}

bool WantsTail(const FileEnds& ends)
{
    return ends.length > FileEnds::kTail;
}

std::uint64_t TailOffset(const FileEnds& ends)
{
    return ends.length - FileEnds::kTail;
}

// Reads on from got bytes up to want, as CFile::ReadAt does: a short read
// goes on, the end of the file stops. Returns 0 or an errno value.
int ReadRest(int fd, char* buffer, std::size_t want, std::uint64_t offset, std::size_t& got)
{
    while (got < want) {
        const ssize_t more = pread(fd, buffer + got, want - got, static_cast<off_t>(offset + got));
        if (more < 0 && errno == EINTR) continue;
        if (more < 0) return errno;
        if (more == 0) break;
        got += static_cast<std::size_t>(more);
    }
    return 0;
}

// A read's result that stands for none made yet: TakeRead then reads with plain calls.
constexpr int kNotRead = -EAGAIN;

// Takes one read's result from the ring (bytes or -errno) and finishes a
// short or refused read with plain calls. Returns 0 or an errno value.
int TakeRead(int fd, int result, char* buffer, std::size_t want, std::uint64_t offset, std::size_t& got)
{
    got = 0;
    if (result == 0) return 0; // the end of the file
    if (result > 0)
        got = static_cast<std::size_t>(result);
    else if (result != -EAGAIN && result != -EINTR) // EAGAIN: pages not at hand for a non-blocking descriptor
        return -result;
    return ReadRest(fd, buffer, want, offset, got);
}

// Whether the file read into ends stays open: it opened, read whole, and is to be held.
bool Holds(CFileEndsReader::Mode mode, const FileEnds& ends)
{
    return mode == CFileEndsReader::Mode::HoldForWriting && ends.openError == 0 && ends.readError == 0;
}

// Keeps the file open in ends when it Holds; else closes it.
void Keep(int fd, CFileEndsReader::Mode mode, FileEnds& ends)
{
    if (Holds(mode, ends))
        ends.fd = UniqueFd(fd);
    else
        close(fd);
}

// Takes the ring's results of one file's head and tail reads (kNotRead: read them now).
void TakeReads(int fd, std::size_t headSize, int headResult, int tailResult, FileEnds& ends)
{
    std::size_t head = 0;
    std::size_t tail = 0;
    const int headError = headSize > 0 ? TakeRead(fd, headResult, ends.head.data(), headSize, 0, head) : 0;
    const int tailError =
        WantsTail(ends) ? TakeRead(fd, tailResult, ends.tail.data(), FileEnds::kTail, TailOffset(ends), tail) : 0;
    ends.headRead = head;
    ends.tailRead = tail == FileEnds::kTail;
    ends.readError = headError != 0 ? headError : tailError;
}

void ReadPlain(int folderFd, const char* name, std::size_t headSize, CFileEndsReader::Mode mode, FileEnds& ends)
{
    ends = FileEnds{};
    const int fd = openat(folderFd, name, SystemOpenFlags(OpenFlags(mode)), 0);
    if (fd < 0) {
        ends.openError = errno;
        return;
    }
    if (Prepare(fd, mode, ends)) TakeReads(fd, headSize, kNotRead, kNotRead, ends);
    Keep(fd, mode, ends);
}

} // namespace

struct CFileEndsReader::Ring {
    io_uring ring{};
    bool ready = false;

    Ring() { ready = io_uring_queue_init(kRingEntries, &ring, 0) == 0; }
    ~Ring()
    {
        if (ready) io_uring_queue_exit(&ring);
    }
    Ring(const Ring&) = delete;
    Ring& operator=(const Ring&) = delete;

    io_uring_sqe* Next()
    {
        return io_uring_get_sqe(&ring); // never empty: a batch asks for at most kRingEntries
    }

    // Submits what is queued and hands each of its count completions to
    // take(user data, result). The ring is sized so that neither can fail
    // short of the kernel running out of memory.
    template <typename Take> void Complete(unsigned count, Take take)
    {
        if (count == 0) return;
        const int submitted = io_uring_submit(&ring);
        if (submitted < 0) throw std::system_error(-submitted, std::generic_category(), "io_uring_submit");
        for (unsigned done = 0; done < count; ++done) {
            io_uring_cqe* completion = nullptr;
            int waited = 0;
            do {
                waited = io_uring_wait_cqe(&ring, &completion);
            } while (waited == -EINTR);
            if (waited < 0) throw std::system_error(-waited, std::generic_category(), "io_uring_wait_cqe");
            take(io_uring_cqe_get_data64(completion), completion->res);
            io_uring_cqe_seen(&ring, completion);
        }
    }
};

CFileEndsReader::CFileEndsReader(Calls calls)
{
    if (calls == Calls::Plain) return;
    auto ring = std::make_unique<Ring>();
    if (ring->ready) m_ring = std::move(ring);
}

CFileEndsReader::~CFileEndsReader() = default;
CFileEndsReader::CFileEndsReader(CFileEndsReader&&) noexcept = default;
CFileEndsReader& CFileEndsReader::operator=(CFileEndsReader&&) noexcept = default;

void CFileEndsReader::Read(int folderFd, std::span<const char* const> names, std::size_t headSize,
                           std::span<FileEnds> ends, Mode mode)
{
    const std::size_t count = std::min({names.size(), ends.size(), kMostFiles});
    headSize = std::min(headSize, FileEnds::kMostHead);
    if (!m_ring) {
        for (std::size_t i = 0; i < count; ++i)
            ReadPlain(folderFd, names[i], headSize, mode, ends[i]);
        return;
    }
    // Closed here should the ring fail half-way; handed on to ends or the ring's close otherwise.
    std::array<UniqueFd, kMostFiles> fds{};
    const std::span<UniqueFd> opened(fds.data(), count);
    OpenBatch(folderFd, names.first(count), mode, opened, ends);
    std::array<int, 2 * kMostFiles> results{}; // user data 2i: file i's head, 2i + 1: its tail
    ReadBatch(opened, headSize, mode, ends, results);
    std::size_t closes = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (!fds.at(i).IsValid()) continue;
        if (ends[i].openError == 0)
            TakeReads(fds.at(i).Get(), headSize, results.at(2 * i), results.at(2 * i + 1), ends[i]);
        if (Holds(mode, ends[i])) {
            ends[i].fd = std::move(fds.at(i));
            continue;
        }
        io_uring_prep_close(m_ring->Next(), fds.at(i).Release());
        ++closes;
    }
    m_ring->Complete(static_cast<unsigned>(closes), [](std::uint64_t, int) {});
}

void CFileEndsReader::OpenBatch(int folderFd, std::span<const char* const> names, Mode mode, std::span<UniqueFd> fds,
                                std::span<FileEnds> ends)
{
    for (std::size_t i = 0; i < names.size(); ++i) {
        ends[i] = FileEnds{};
        io_uring_sqe* open = m_ring->Next();
        io_uring_prep_openat(open, folderFd, names[i], SystemOpenFlags(OpenFlags(mode)), 0);
        io_uring_sqe_set_data64(open, i);
    }
    m_ring->Complete(static_cast<unsigned>(names.size()), [&](std::uint64_t i, int result) {
        if (result < 0)
            ends[i].openError = -result;
        else
            fds[i] = UniqueFd(result);
    });
}

void CFileEndsReader::ReadBatch(std::span<const UniqueFd> fds, std::size_t headSize, Mode mode,
                                std::span<FileEnds> ends, std::span<int> results)
{
    unsigned reads = 0;
    const auto queueRead = [&](std::size_t tag, int fd, char* buffer, std::size_t size, std::uint64_t offset) {
        io_uring_sqe* read = m_ring->Next();
        io_uring_prep_read(read, fd, buffer, static_cast<unsigned>(size), offset);
        io_uring_sqe_set_data64(read, tag);
        ++reads;
    };
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (!fds[i].IsValid() || !Prepare(fds[i].Get(), mode, ends[i])) continue;
        if (headSize > 0) queueRead(2 * i, fds[i].Get(), ends[i].head.data(), headSize, 0);
        if (WantsTail(ends[i]))
            queueRead(2 * i + 1, fds[i].Get(), ends[i].tail.data(), FileEnds::kTail, TailOffset(ends[i]));
    }
    m_ring->Complete(reads, [&](std::uint64_t tag, int result) { results[tag] = result; });
}

} // namespace platform

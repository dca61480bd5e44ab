#include "HostFile.h"

#include "UniqueFd.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t kChunk = 65536;

// Appends what a read gives until the end, an error or more than limit bytes.
bool ReadUpTo(int fd, std::size_t limit, std::string& bytes)
{
    std::array<char, kChunk> chunk{};
    while (bytes.size() <= limit) {
        const ssize_t got = read(fd, chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        bytes.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return true;
}

BoundedRead Failed(BoundedRead::Failure failure, int error = 0)
{
    BoundedRead result;
    result.failure = failure;
    result.error = error;
    return result;
}

} // namespace

std::optional<std::string> ReadHostFile(const std::string& hostPath)
{
    const UniqueFd fd(open(hostPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.IsValid()) return std::nullopt;
    std::string bytes;
    if (!ReadUpTo(fd.Get(), std::string().max_size() - kChunk, bytes)) return std::nullopt;
    return bytes;
}

BoundedRead ReadRegularHostFile(const std::string& hostPath, std::size_t maxBytes)
{
    const UniqueFd fd(open(hostPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.IsValid())
        return Failed(errno == ENOENT ? BoundedRead::Failure::Missing : BoundedRead::Failure::Unreadable, errno);
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0) return Failed(BoundedRead::Failure::Unreadable, errno);
    if (!S_ISREG(info.st_mode)) return Failed(BoundedRead::Failure::NotRegular);
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) return Failed(BoundedRead::Failure::TooLarge);
    BoundedRead result;
    if (!ReadUpTo(fd.Get(), maxBytes, result.bytes)) return Failed(BoundedRead::Failure::Unreadable, errno);
    // The file grew while it was read.
    if (result.bytes.size() > maxBytes) return Failed(BoundedRead::Failure::TooLarge);
    return result;
}

std::string DescribeFailure(const BoundedRead& read, std::size_t maxBytes)
{
    switch (read.failure) {
    case BoundedRead::Failure::None:
        return {};
    case BoundedRead::Failure::Missing:
        return "does not exist";
    case BoundedRead::Failure::NotRegular:
        return "is not a regular file";
    case BoundedRead::Failure::TooLarge:
        return "is larger than " + std::to_string(maxBytes / 1024) + " KiB";
    case BoundedRead::Failure::Unreadable:
        return std::string("cannot be read: ") + std::strerror(read.error);
    }
    return {};
}

} // namespace platform

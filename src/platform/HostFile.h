// Reading a whole file by its host path.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

// The bytes of the file at hostPath, read to its end (so files of /proc and
// /sys, which report no size, read whole too); nullopt when it cannot be
// opened or read.
std::optional<std::string> ReadHostFile(const std::string& hostPath);

// A file of settings or text the program was pointed at, which may be
// anything: only a regular file of at most maxBytes is read. It is opened
// without blocking, so a FIFO or a device never stalls the caller, and no more
// than maxBytes + 1 bytes are ever read, so /dev/zero or a huge file cannot
// fill the memory.
struct BoundedRead {
    enum class Failure { None, Missing, NotRegular, TooLarge, Unreadable };
    std::string bytes;
    Failure failure = Failure::None;
    int error = 0; // errno of Unreadable
};
BoundedRead ReadRegularHostFile(const std::string& hostPath, std::size_t maxBytes);
// "is not a regular file", "is larger than 1024 KiB", ... for a message.
std::string DescribeFailure(const BoundedRead& read, std::size_t maxBytes);

} // namespace platform

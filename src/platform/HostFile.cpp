#include "HostFile.h"

#include "UniqueFd.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t kChunk = 65536;

} // namespace

std::optional<std::string> ReadHostFile(const std::string& hostPath)
{
    const UniqueFd fd(open(hostPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.IsValid()) return std::nullopt;
    std::string bytes;
    std::array<char, kChunk> chunk{};
    for (;;) {
        const ssize_t got = read(fd.Get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::nullopt;
        if (got == 0) return bytes;
        bytes.append(chunk.data(), static_cast<std::size_t>(got));
    }
}

} // namespace platform

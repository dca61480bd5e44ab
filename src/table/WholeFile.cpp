#include "WholeFile.h"

#include "platform/File.h"
#include "platform/HostFile.h"
#include "platform/Machine.h"

namespace table {

namespace {

// Tables and envelopes are regular files of some megabytes: a FIFO or a
// device fails at once instead of blocking, and nothing past this size is
// read into memory.
constexpr std::size_t kMaxWholeFile = std::size_t{256} << 20;

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& systemPath)
{
    const std::optional<std::string> hostPath = platform::HostPath(systemPath);
    if (!hostPath) return std::nullopt;
    platform::BoundedRead read = platform::ReadRegularHostFile(*hostPath, kMaxWholeFile);
    if (read.failure != platform::BoundedRead::Failure::None) return std::nullopt;
    return std::move(read.bytes);
}

bool WriteWholeFile(const std::string& systemPath, const std::string& bytes, bool sync)
{
    platform::CFile file;
    if (!file.Open(systemPath, platform::CFile::modeCreate | platform::CFile::modeWrite)) return false;
    try {
        file.Write(bytes.data(), bytes.size());
        if (sync) file.Flush();
        file.Close();
        return true;
    } catch (const platform::CFileException&) {
        return false;
    }
}

} // namespace table

#include "WholeFile.h"

#include "platform/File.h"
#include "platform/HostFile.h"
#include "platform/Machine.h"

namespace table {

std::optional<std::string> ReadWholeFile(const std::string& systemPath)
{
    const std::optional<std::string> hostPath = platform::HostPath(systemPath);
    return hostPath ? platform::ReadHostFile(*hostPath) : std::nullopt;
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

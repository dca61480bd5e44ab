#include "WholeFile.h"

#include "platform/File.h"

namespace table {

std::optional<std::string> ReadWholeFile(const std::string& systemPath)
{
    platform::CFile file;
    if (!file.Open(systemPath, platform::CFile::modeRead)) return std::nullopt;
    try {
        std::string bytes(static_cast<std::size_t>(file.GetLength()), '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            const std::size_t got = file.Read(bytes.data() + done, bytes.size() - done);
            if (got == 0) break;
            done += got;
        }
        // A file that shrank meanwhile yields what was there.
        bytes.resize(done);
        return bytes;
    } catch (const platform::CFileException&) {
        return std::nullopt;
    }
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

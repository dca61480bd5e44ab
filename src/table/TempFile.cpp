#include "TempFile.h"

#include "platform/Machine.h"
#include "platform/SystemPathName.h"

#include <filesystem>

namespace table {

namespace {

constexpr char kTempPrefix[] = ".qzd-";

} // namespace

CTempFile::CTempFile(std::string systemPath, platform::CReplacementFile file)
    : m_systemPath(std::move(systemPath)), m_file(std::move(file))
{
}

std::optional<CTempFile> CTempFile::CreateBeside(const std::string& systemPath)
{
    const std::optional<std::string> host = platform::HostPath(systemPath);
    if (!host) return std::nullopt;
    // A table file that is a link stays one: the temporary file goes beside
    // the file the link names, and replaces that file.
    std::optional<platform::CReplacementFile> file =
        platform::CReplacementFile::CreateBeside(*host, kTempPrefix, platform::CReplacementFile::Link::kKeepLink);
    if (!file) return std::nullopt;
    const std::string name = std::filesystem::path(file->HostPath()).filename().string();
    if (file->TargetPath() == *host)
        // Beside the table itself, so its name's bytes are the same in both forms of path.
        return CTempFile(platform::JoinSystemPath(platform::FolderOfSystemPath(systemPath), name), std::move(*file));
    // A link that leads off every drive leaves the table where it is.
    const std::optional<std::string> beside = platform::SystemPath(file->HostPath());
    if (!beside) return std::nullopt;
    return CTempFile(*beside, std::move(*file));
}

bool CTempFile::Replace()
{
    return m_file.Replace(platform::NewFileMode());
}

} // namespace table

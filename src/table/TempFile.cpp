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
    std::optional<platform::CReplacementFile> file =
        platform::CReplacementFile::CreateBeside(*host, kTempPrefix, platform::CReplacementFile::Link::kReplaceLink);
    if (!file) return std::nullopt;
    // The link is not followed, so the temporary file sits in the table's own
    // folder and its name's bytes are the same in both forms of path.
    const std::string name = std::filesystem::path(file->HostPath()).filename().string();
    return CTempFile(platform::JoinSystemPath(platform::FolderOfSystemPath(systemPath), name), std::move(*file));
}

bool CTempFile::Replace()
{
    return m_file.Replace(platform::NewFileMode());
}

} // namespace table

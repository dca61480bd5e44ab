#include "ReplacementFile.h"

#include "HostFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::string_view kTempLetters = "XXXXXX";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr int kMaxLinks = 40; // as the kernel's own limit on a chain of links
constexpr mode_t kPermissionBits = 07777;
constexpr mode_t kDefaultUmask = 022;
constexpr std::string_view kUmaskField = "\nUmask:";

std::string FolderOf(const std::string& hostPath)
{
    const std::string folder = fs::path(hostPath).parent_path().string();
    return folder.empty() ? "." : folder;
}

// The file a chain of links ends at; a link that cannot be read ends the chain.
std::string FinalTarget(std::string path)
{
    for (int step = 0; step < kMaxLinks; ++step) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) break;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) break;
        path = next.is_absolute() ? next.string() : (fs::path(FolderOf(path)) / next).string();
    }
    return path;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t put = write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

bool SyncFolder(const std::string& folder)
{
    const UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.IsValid() && fsync(fd.Get()) == 0;
}

} // namespace

CReplacementFile::CReplacementFile(std::string targetPath, std::string tempPath, UniqueFd fd)
    : m_targetPath(std::move(targetPath)), m_tempPath(std::move(tempPath)), m_fd(std::move(fd))
{
}

CReplacementFile::CReplacementFile(CReplacementFile&& other) noexcept
    : m_targetPath(std::move(other.m_targetPath)), m_tempPath(std::exchange(other.m_tempPath, {})),
      m_fd(std::move(other.m_fd))
{
}

CReplacementFile::~CReplacementFile()
{
    if (!m_tempPath.empty()) unlink(m_tempPath.c_str());
}

std::optional<CReplacementFile> CReplacementFile::CreateBeside(const std::string& hostTarget,
                                                               std::string_view tempPrefix, Link link)
{
    std::string target = link == Link::kKeepLink ? FinalTarget(hostTarget) : hostTarget;
    std::string temp = (fs::path(FolderOf(target)) / tempPrefix).string();
    temp.append(kTempLetters).append(kTempSuffix);
    UniqueFd fd(mkostemps(temp.data(), static_cast<int>(kTempSuffix.size()), O_CLOEXEC));
    if (!fd.IsValid()) return std::nullopt;
    return CReplacementFile(std::move(target), std::move(temp), std::move(fd));
}

bool CReplacementFile::Write(std::string_view bytes)
{
    return m_fd.IsValid() && WriteAll(m_fd.Get(), bytes);
}

bool CReplacementFile::Replace(mode_t newFileMode)
{
    if (!m_fd.IsValid() || m_tempPath.empty()) return false;
    struct stat target {};
    const mode_t mode = stat(m_targetPath.c_str(), &target) == 0 ? (target.st_mode & kPermissionBits) : newFileMode;
    const bool synced = fchmod(m_fd.Get(), mode) == 0 && fsync(m_fd.Get()) == 0;
    if (!m_fd.Close() || !synced || rename(m_tempPath.c_str(), m_targetPath.c_str()) != 0) return false;
    m_tempPath.clear();
    return SyncFolder(FolderOf(m_targetPath));
}

bool ReplaceFileWith(const std::string& hostTarget, std::string_view bytes, mode_t newFileMode)
{
    std::optional<CReplacementFile> file =
        CReplacementFile::CreateBeside(hostTarget, fs::path(hostTarget).filename().string() + ".");
    return file && file->Write(bytes) && file->Replace(newFileMode);
}

// The umask as /proc reports it, since umask(2) cannot read it without
// changing it for every thread meanwhile.
mode_t NewFileMode()
{
    mode_t mask = kDefaultUmask;
    const std::optional<std::string> status = ReadHostFile("/proc/self/status");
    if (const std::size_t at = status ? status->find(kUmaskField) : std::string::npos; at != std::string::npos)
        mask = static_cast<mode_t>(std::strtoul(status->c_str() + at + kUmaskField.size(), nullptr, 8));
    return 0666 & ~mask;
}

} // namespace platform

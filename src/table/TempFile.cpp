#include "TempFile.h"

#include "platform/Machine.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace table {

namespace {

constexpr int kAttempts = 100;
constexpr std::size_t kRandomLetters = 6;

std::string RandomName()
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof(kLetters) - 2);
    std::string name = ".qzd-";
    for (std::size_t i = 0; i < kRandomLetters; ++i)
        name += kLetters[pick(generator)];
    return name;
}

void SyncFolderOf(const std::string& hostPath)
{
    const std::string folder = std::filesystem::path(hostPath).parent_path().string();
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

} // namespace

CTempFile::CTempFile(std::string systemPath, std::string hostPath)
    : m_systemPath(std::move(systemPath)), m_hostPath(std::move(hostPath))
{
}

CTempFile::CTempFile(CTempFile&& other) noexcept
    : m_systemPath(std::move(other.m_systemPath)), m_hostPath(std::move(other.m_hostPath))
{
    other.m_hostPath.clear();
}

CTempFile::~CTempFile()
{
    if (!m_hostPath.empty()) unlink(m_hostPath.c_str());
}

std::optional<CTempFile> CTempFile::CreateBeside(const std::string& systemPath)
{
    const std::size_t slash = systemPath.rfind('\\');
    const std::string folder = slash == std::string::npos ? std::string() : systemPath.substr(0, slash + 1);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string name = folder + RandomName();
        const std::optional<std::string> host = platform::HostPath(name);
        if (!host) return std::nullopt;
        // O_EXCL: the name is ours alone, and 0666 lets the umask decide as
        // for any new file.
        const int fd = open(host->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            return CTempFile(std::move(name), *host);
        }
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

bool CTempFile::Replace(const std::string& hostTarget)
{
    if (m_hostPath.empty()) return false;
    struct stat target {};
    if (stat(hostTarget.c_str(), &target) == 0) chmod(m_hostPath.c_str(), target.st_mode & 07777);
    if (rename(m_hostPath.c_str(), hostTarget.c_str()) != 0) return false;
    m_hostPath.clear();
    SyncFolderOf(hostTarget);
    return true;
}

} // namespace table

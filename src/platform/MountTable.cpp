#include "MountTable.h"

#include "HostFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::array kRemoteTypes{"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "davfs"};
constexpr std::array kCdRomTypes{"iso9660", "udf"};

bool IsOctal(char c)
{
    return c >= '0' && c <= '7';
}

bool IsPathPrefix(const std::string& prefix, const std::string& path)
{
    if (prefix == "/") return path.starts_with('/');
    return path == prefix || (path.starts_with(prefix) && path[prefix.size()] == '/');
}

// "sdb1" -> "sdb", "nvme0n1p2" -> "nvme0n1", "mmcblk0p1" -> "mmcblk0".
std::string WholeDiskName(std::string name)
{
    while (!name.empty() && std::isdigit(static_cast<unsigned char>(name.back())))
        name.pop_back();
    if (name.size() >= 2 && name.back() == 'p' && std::isdigit(static_cast<unsigned char>(name[name.size() - 2])))
        name.pop_back();
    return name;
}

constexpr int kMaxLinks = 40;

// Empty where the file cannot be read: no mounts, no removable flag.
std::string ReadWholeFile(const std::string& path)
{
    return ReadHostFile(path).value_or(std::string());
}

} // namespace

std::string UnescapeMountField(std::string_view field)
{
    std::string result;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) && IsOctal(field[i + 2]) &&
            IsOctal(field[i + 3])) {
            result +=
                static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
            i += 3;
        } else {
            result += field[i];
        }
    }
    return result;
}

std::string UnescapeLabel(std::string_view name)
{
    std::string result;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(name[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(name[i + 3]))) {
            result += static_cast<char>(std::stoi(std::string(name.substr(i + 2, 2)), nullptr, 16));
            i += 3;
        } else {
            result += name[i];
        }
    }
    return result;
}

MountTable::MountTable(std::string_view mountsText, std::string hostRoot) : m_hostRoot(std::move(hostRoot))
{
    std::istringstream lines{std::string(mountsText)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, dir, type;
        if (!(fields >> device >> dir >> type)) continue;
        m_mounts.push_back({UnescapeMountField(device), UnescapeMountField(dir), UnescapeMountField(type)});
    }
}

MountTable MountTable::ReadHost()
{
    return MountTable(ReadWholeFile("/proc/self/mounts"), "/");
}

const Mount* MountTable::Holding(const std::string& path) const
{
    const Mount* best = nullptr;
    for (const Mount& mount : m_mounts)
        if (IsPathPrefix(mount.dir, path) && (!best || mount.dir.size() >= best->dir.size())) best = &mount;
    return best;
}

DriveType MountTable::TypeOfRoot(const std::string& root) const
{
    struct stat info {};
    if (root.empty() || stat(InHost(root).c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return DriveType::NoRootDir;
    const Mount* mount = Holding(root);
    if (!mount) return DriveType::Fixed;
    const auto is = [&](const auto& types) { return std::ranges::find(types, mount->type) != types.end(); };
    if (is(kRemoteTypes)) return DriveType::Remote;
    if (is(kCdRomTypes)) return DriveType::CdRom;
    if (IsRemovable(mount->device)) return DriveType::Removable;
    return DriveType::Fixed;
}

std::string MountTable::LabelOf(const Mount& mount) const
{
    if (!mount.device.starts_with("/dev/")) return "";
    const fs::path device = FollowLinks(InHost(mount.device));
    std::error_code ec;
    for (auto it = fs::directory_iterator(InHost("/dev/disk/by-label"), ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        if (FollowLinks(it->path()) == device) return UnescapeLabel(it->path().filename().string());
    return "";
}

std::string MountTable::InHost(const std::string& path) const
{
    if (m_hostRoot == "/" || m_hostRoot.empty()) return path;
    return m_hostRoot + path;
}

// Follows a chain of symbolic links by name, whether or not the end exists;
// an absolute link target is taken inside the host root.
fs::path MountTable::FollowLinks(fs::path path) const
{
    for (int i = 0; i < kMaxLinks; ++i) {
        std::error_code ec;
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) break;
        path = target.is_absolute() ? fs::path(InHost(target.string())) : path.parent_path() / target;
        path = path.lexically_normal();
    }
    return path;
}

bool MountTable::IsRemovable(const std::string& device) const
{
    if (!device.starts_with("/dev/")) return false;
    std::error_code ec;
    // A /dev/mapper or /dev/disk/... link names its kernel device through the link.
    const std::string name = FollowLinks(InHost(device)).filename().string();
    for (const std::string& disk : {name, WholeDiskName(name)}) {
        const std::string flag = InHost("/sys/block/" + disk + "/removable");
        if (fs::exists(flag, ec)) return ReadWholeFile(flag).starts_with('1');
    }
    return false;
}

} // namespace platform

#include "DriveTable.h"

#include "HostUser.h"
#include "MountTable.h"
#include "Registry.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::string_view kMountedDevicesKey = "System\\MountedDevices";
constexpr std::string_view kDosDevicesPrefix = "\\DosDevices\\";

struct SystemPathParts {
    char letter = 'C';
    std::vector<std::string_view> components; // views into the path given to SplitSystemPath
};

char UpperLetter(char c)
{
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) { return UpperLetter(x) == UpperLetter(y); });
}

// Splits "X:\a\..\b" into its drive and resolved names; nullopt when the
// path is empty, holds a NUL byte or climbs above the drive's root.
std::optional<SystemPathParts> SplitSystemPath(std::string_view path)
{
    if (path.empty()) return std::nullopt;
    SystemPathParts parts;
    if (path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
        parts.letter = UpperLetter(path[0]);
        path.remove_prefix(2);
    }
    while (!path.empty()) {
        const std::size_t end = std::min(path.find_first_of("\\/"), path.size());
        const std::string_view name = path.substr(0, end);
        path.remove_prefix(std::min(end + 1, path.size()));
        if (name.find('\0') != std::string_view::npos) return std::nullopt;
        if (name.empty() || name == ".") continue;
        if (name != "..") {
            parts.components.emplace_back(name);
        } else if (parts.components.empty()) {
            return std::nullopt;
        } else {
            parts.components.pop_back();
        }
    }
    return parts;
}

// Absolute, lexically normal, no trailing slash except for "/".
std::string NormalHostPath(std::string_view hostPath)
{
    fs::path path{std::string(hostPath)};
    if (path.is_relative()) {
        std::error_code ec;
        path = fs::current_path(ec) / path;
    }
    std::string normal = path.lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

bool IsRootOf(const std::string& root, const std::string& path)
{
    if (root == "/") return path.starts_with('/');
    return path == root || (path.starts_with(root) && path[root.size()] == '/');
}

bool IsMediaMount(const std::string& dir, const std::string& user)
{
    return dir.starts_with("/media/") || dir.starts_with("/mnt/") ||
           (!user.empty() && dir.starts_with("/run/media/" + user + "/"));
}

std::string LabelOfRoot(const MountTable& mounts, const std::string& root)
{
    const Mount* mount = mounts.Holding(root);
    return mount ? mounts.LabelOf(*mount) : "";
}

} // namespace

DriveTable::DriveTable(std::vector<Drive> drives)
{
    for (Drive& drive : drives) {
        if (!IsDriveLetter(drive.letter)) continue;
        drive.letter = UpperLetter(drive.letter);
        if (!drive.root.empty()) drive.root = NormalHostPath(drive.root);
        if (!Find(drive.letter)) m_drives.push_back(std::move(drive));
    }
    std::ranges::sort(m_drives, {}, &Drive::letter);
}

DriveTable DriveTable::FromHive(const CHive& hive)
{
    if (!hive.HasKey(kMountedDevicesKey)) return Default();
    const MountTable mounts = MountTable::ReadHost();
    std::vector<Drive> drives;
    for (const auto& [name, data] : hive.Values(kMountedDevicesKey)) {
        // "\DosDevices\X:"; the data is the host folder as the host spells it.
        const bool isDrive = name.size() == kDosDevicesPrefix.size() + 2 &&
                             EqualsNoCase(name.substr(0, kDosDevicesPrefix.size()), kDosDevicesPrefix) &&
                             IsDriveLetter(name[kDosDevicesPrefix.size()]) && name.back() == ':';
        if (!isDrive || !data.starts_with('/')) continue;
        const std::string root = NormalHostPath(data);
        drives.push_back({name[kDosDevicesPrefix.size()], root, LabelOfRoot(mounts, root)});
    }
    return DriveTable(std::move(drives));
}

bool DriveTable::WriteTo(CHive& hive) const
{
    if (!hive.HasKey(kMountedDevicesKey)) hive.AddKey(kMountedDevicesKey);
    for (const Drive& drive : m_drives)
        if (!hive.Set(kMountedDevicesKey, std::string(kDosDevicesPrefix) + drive.letter + ":", drive.root)) return false;
    return true;
}

DriveTable DriveTable::Default()
{
    return FromMounts(MountTable::ReadHost(), HomeFolder(), UserName());
}

DriveTable DriveTable::FromMounts(const MountTable& mounts, const std::string& home, const std::string& user)
{
    std::vector<Drive> drives{{'C', "/", LabelOfRoot(mounts, "/")}};
    if (!home.empty()) drives.push_back({'H', NormalHostPath(home), user});
    char next = 'D';
    for (const Mount& mount : mounts.Mounts()) {
        if (!IsMediaMount(mount.dir, user)) continue;
        const std::string root = NormalHostPath(mount.dir);
        if (std::ranges::any_of(drives, [&](const Drive& d) { return d.root == root; })) continue;
        if (next == 'H') ++next; // the home folder's letter
        if (next > 'Z') break;
        drives.push_back({next++, root, mounts.LabelOf(mount)});
    }
    return DriveTable(std::move(drives));
}

const Drive* DriveTable::Find(char letter) const
{
    const auto found = std::ranges::find(m_drives, UpperLetter(letter), &Drive::letter);
    return found == m_drives.end() ? nullptr : &*found;
}

std::optional<std::string> DriveTable::ToHost(std::string_view systemPath) const
{
    const std::optional<SystemPathParts> parts = SplitSystemPath(systemPath);
    const Drive* drive = parts ? Find(parts->letter) : nullptr;
    if (!drive || drive->root.empty()) return std::nullopt;
    std::string host = drive->root;
    host.reserve(host.size() + systemPath.size());
    for (const std::string_view name : parts->components) {
        if (host != "/") host += '/';
        host += name;
    }
    return host;
}

std::optional<std::string> DriveTable::ToSystem(std::string_view hostPath) const
{
    if (hostPath.empty()) return std::nullopt;
    const std::string path = NormalHostPath(hostPath);
    const Drive* best = nullptr;
    for (const Drive& drive : m_drives)
        if (!drive.root.empty() && IsRootOf(drive.root, path) && (!best || drive.root.size() > best->root.size()))
            best = &drive;
    if (!best) return std::nullopt;
    std::string system{best->letter, ':'};
    std::string_view rest(path);
    rest.remove_prefix(best->root == "/" ? 0 : best->root.size());
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('/'), rest.size());
        const std::string_view name = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (name.empty()) continue;
        if (name.find('\\') != std::string_view::npos) return std::nullopt;
        system += '\\';
        system += name;
    }
    return system;
}

DriveType DriveTable::TypeOf(char letter) const
{
    return TypeOf(letter, MountTable::ReadHost());
}

DriveType DriveTable::TypeOf(char letter, const MountTable& mounts) const
{
    const Drive* drive = Find(letter);
    return drive ? mounts.TypeOfRoot(drive->root) : DriveType::NoRootDir;
}

} // namespace platform

// The host's mounted filesystems, as /proc/self/mounts lists them, with what
// /sys and /dev/disk/by-label tell about their devices.
#pragma once

#include "DriveTable.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct Mount {
    std::string device; // "/dev/sdb1", "server:/export", "tmpfs"
    std::string dir;    // where it is mounted
    std::string type;   // "ext4", "vfat", "nfs4" ...
};

// Both sources are given, so a test can describe a host of its own: the
// mounts text and the folder that stands for "/" when /sys, /dev and the
// mount folders are looked at ("/" on the real host).
class MountTable {
public:
    MountTable(std::string_view mountsText, std::string hostRoot);
    static MountTable ReadHost();

    const std::vector<Mount>& Mounts() const { return m_mounts; }
    // The mount whose folder is the longest prefix of path (a later mount over the same folder wins).
    const Mount* Holding(const std::string& path) const;
    // Remote, CD-ROM, removable or fixed by the mount holding root; NoRootDir when root is no folder.
    DriveType TypeOfRoot(const std::string& root) const;
    // The name under /dev/disk/by-label whose link leads to the mount's device, else "".
    std::string LabelOf(const Mount& mount) const;

private:
    std::string InHost(const std::string& path) const;
    std::filesystem::path FollowLinks(std::filesystem::path path) const;
    bool IsRemovable(const std::string& device) const;

    std::vector<Mount> m_mounts;
    std::string m_hostRoot;
};

// Undoes the octal escapes of /proc/self/mounts ("\040" for a space).
std::string UnescapeMountField(std::string_view field);
// Undoes the hex escapes of udev link names ("\x20" for a space).
std::string UnescapeLabel(std::string_view name);

} // namespace platform

// Drive letters and the host folders they stand for.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class CHive;
class MountTable;

enum class DriveType { Unknown = 0, NoRootDir = 1, Removable = 2, Fixed = 3, Remote = 4, CdRom = 5, RamDisk = 6 };

struct Drive {
    char letter = 'C'; // upper case
    std::string root;  // host directory (its bytes), no trailing slash except "/"
    std::string label; // volume label as a host (UTF-8) text, may be empty
};

// Maps drive letters to host roots. Read from the hive key
// System\MountedDevices (values "\DosDevices\X:"), or made from the mounts
// of the moment when that key is missing.
class DriveTable {
public:
    DriveTable() = default;
    explicit DriveTable(std::vector<Drive> drives);

    static DriveTable FromHive(const CHive& hive); // falls back to Default()
    // The whole table into the hive's System\MountedDevices, the key made
    // when missing, as FromHive reads it back. False when a root cannot be stored.
    bool WriteTo(CHive& hive) const;
    static DriveTable Default();
    // The default table for a given host: C: = "/", H: = home (labelled with
    // the user's name), then the mounts under /media, /run/media/<user> and
    // /mnt on the next free letters from D:.
    static DriveTable FromMounts(const MountTable& mounts, const std::string& home, const std::string& user);

    const std::vector<Drive>& Drives() const { return m_drives; }
    const Drive* Find(char letter) const; // case-insensitive letter

    // "C:\a\b" -> "<root>/a/b". After the drive, a system path holds the
    // host names' own bytes, never converted, so every name on the disk has
    // exactly one system path. A path without a drive ("\x") is taken on C:.
    // Empty on an unmapped drive. '/' separates like '\'; "." and ".." are
    // resolved by name, and a path that would climb above its drive's root
    // names nothing.
    std::optional<std::string> ToHost(std::string_view systemPath) const;
    // Host path -> system path on the drive whose root is the longest prefix,
    // its names' bytes unchanged. A relative host path is taken from the
    // current directory. Empty when no root holds it or a name in it holds a
    // backslash.
    std::optional<std::string> ToSystem(std::string_view hostPath) const;

    DriveType TypeOf(char letter) const; // NoRootDir when unmapped or missing
    DriveType TypeOf(char letter, const MountTable& mounts) const;

private:
    std::vector<Drive> m_drives;
};

} // namespace platform

#include "FileSystemKind.h"

#include "Machine.h"

#include <linux/magic.h>
#include <sys/vfs.h>

#include <algorithm>
#include <array>

namespace platform {

bool IsOnNetworkFileSystem(const std::string& hostPath)
{
    static constexpr std::array<unsigned long, 11> kNetworkKinds = {
        NFS_SUPER_MAGIC, SMB_SUPER_MAGIC, CIFS_SUPER_MAGIC, SMB2_SUPER_MAGIC, V9FS_MAGIC,       CEPH_SUPER_MAGIC,
        AFS_SUPER_MAGIC, AFS_FS_MAGIC,    CODA_SUPER_MAGIC, NCP_SUPER_MAGIC,  FUSE_SUPER_MAGIC,
    };
    struct statfs info {};
    if (statfs(hostPath.c_str(), &info) != 0) return false;
    return std::ranges::find(kNetworkKinds, static_cast<unsigned long>(info.f_type)) != kNetworkKinds.end();
}

bool IsSystemPathOnNetwork(const std::string& systemPath)
{
    const std::optional<std::string> host = HostPath(systemPath);
    return host && IsOnNetworkFileSystem(*host);
}

} // namespace platform

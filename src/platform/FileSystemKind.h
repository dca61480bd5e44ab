// Which kind of file system holds a folder: a network share (or a FUSE
// mount, which may be one) answers each request after the network's
// latency, a local device after its own.
#pragma once

#include <string>

namespace platform {

// True for NFS, SMB/CIFS, 9P, Ceph, AFS, Coda, NCP and FUSE; false for a
// local file system and for a path that cannot be asked.
bool IsOnNetworkFileSystem(const std::string& hostPath);
// The same for a system path, through the drive table; false for one that
// names no host path.
bool IsSystemPathOnNetwork(const std::string& systemPath);

} // namespace platform

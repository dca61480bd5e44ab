// Reading a whole file by its host path.
#pragma once

#include <optional>
#include <string>

namespace platform {

// The bytes of the file at hostPath, read to its end (so files of /proc and
// /sys, which report no size, read whole too); nullopt when it cannot be
// opened or read.
std::optional<std::string> ReadHostFile(const std::string& hostPath);

} // namespace platform

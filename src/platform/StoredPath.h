// Paths read back from the hive (the last folder, the language folder).
#pragma once

#include <string>

namespace platform {

// A stored system path as it names something now. Such values hold host
// bytes; ones written by earlier versions hold code-page text after the
// drive. A value that names nothing is tried once more converted from the
// code page; when that names nothing either, the value is returned as it is.
// The first hostBytes bytes are host bytes already (a folder resolved before).
std::string ResolveStoredPath(const std::string& stored, std::size_t hostBytes = 0);

} // namespace platform

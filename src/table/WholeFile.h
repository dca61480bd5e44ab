// Reading and writing a whole file in one go through the platform's CFile.
#pragma once

#include <optional>
#include <string>

namespace table {

// The bytes of the regular file at systemPath; nullopt when it cannot be
// opened or read, is no regular file or is larger than 256 MiB.
std::optional<std::string> ReadWholeFile(const std::string& systemPath);
// Creates or empties the file and writes bytes in one write; with sync the
// data reaches the disk (fsync) before the file is closed. False on any failure.
bool WriteWholeFile(const std::string& systemPath, const std::string& bytes, bool sync = false);

} // namespace table

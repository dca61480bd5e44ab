// Byte count to the size text of the file list and the printout.
#pragma once

#include <cstdint>
#include <string>

// "" for 0, "%d Byte" below 1024, else "%.2f KB", "%.2f MB" or "%.2f GB".
std::string FormatFileSize(std::uint64_t bytes);
inline std::string FormatFileSize(std::uint32_t low, std::uint32_t high)
{
    return FormatFileSize((static_cast<std::uint64_t>(high) << 32) | low);
}

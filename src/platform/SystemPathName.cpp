#include "SystemPathName.h"

namespace platform {

namespace {

constexpr char kSeparator = '\\';
constexpr std::size_t kDriveLength = 2; // "X:"

bool HasDrive(std::string_view systemPath)
{
    return systemPath.size() >= kDriveLength && systemPath[1] == ':';
}

// Where the folder part ends: at the last backslash, else after "X:", else at 0.
std::size_t FolderEnd(std::string_view systemPath)
{
    const std::size_t slash = systemPath.rfind(kSeparator);
    if (slash != std::string_view::npos) return slash;
    return HasDrive(systemPath) ? kDriveLength : 0;
}

} // namespace

std::string_view FolderOfSystemPath(std::string_view systemPath)
{
    const std::size_t end = FolderEnd(systemPath);
    // "\a.mp3": the folder is the current drive's root, kept as its backslash.
    return systemPath.substr(0, end == 0 && systemPath.starts_with(kSeparator) ? 1 : end);
}

std::string_view NameOfSystemPath(std::string_view systemPath)
{
    const std::size_t end = FolderEnd(systemPath);
    const bool atSeparator = end < systemPath.size() && systemPath[end] == kSeparator;
    return systemPath.substr(atSeparator ? end + 1 : end);
}

std::string JoinSystemPath(std::string_view folder, std::string_view name)
{
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    if (!path.empty() && path.back() != kSeparator) path += kSeparator;
    // Returned by name, not as append's reference, which would be copied.
    path.append(name);
    return path;
}

std::string JoinHostPath(std::string_view folder, std::string_view name)
{
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    if (folder != "/") path.append(folder);
    path.append(1, '/').append(name);
    return path;
}

} // namespace platform

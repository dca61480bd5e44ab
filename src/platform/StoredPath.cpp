#include "StoredPath.h"

#include "Machine.h"

#include <sys/stat.h>

#include <algorithm>

namespace platform {

namespace {

bool NamesSomething(const std::string& systemPath)
{
    const std::optional<std::string> host = HostPath(systemPath);
    struct stat info {};
    return host && ::stat(host->c_str(), &info) == 0;
}

// The drive ("X:") stays; the names after it are code-page text in the old form.
std::string FromOldForm(const std::string& stored, std::size_t hostBytes)
{
    const std::size_t driveLength = stored.size() >= 2 && stored[1] == ':' ? 2 : 0;
    const std::size_t keep = std::min(std::max(driveLength, hostBytes), stored.size());
    return stored.substr(0, keep) + ToUtf8(std::string_view(stored).substr(keep));
}

} // namespace

std::string ResolveStoredPath(const std::string& stored, std::size_t hostBytes)
{
    if (stored.empty() || NamesSomething(stored)) return stored;
    std::string converted = FromOldForm(stored, hostBytes);
    return converted != stored && NamesSomething(converted) ? converted : stored;
}

} // namespace platform

#include "HeldFolder.h"

#include "platform/Machine.h"
#include "platform/SystemPathName.h"

#include <fcntl.h>

#include <utility>

HeldFolder::HeldFolder(std::string systemPath, bool openIt)
    : path(std::move(systemPath)), hostPath(platform::HostPath(path).value_or(std::string()))
{
    if (openIt && !hostPath.empty())
        fd = platform::UniqueFd(open(hostPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

std::string HeldFolder::HostPathOf(const std::string& hostName) const
{
    return platform::JoinHostPath(hostPath, hostName);
}

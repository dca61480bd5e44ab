#include "FolderTree.h"

#include "CliOutput.h"
#include "CliPaths.h"
#include "platform/Machine.h"

#include <dirent.h>
#include <memory>
#include <sys/stat.h>

bool CanReadFolder(const std::string& systemPath)
{
    const auto host = platform::HostPath(systemPath);
    if (!host) return false;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(host->c_str()), closedir);
    return dir != nullptr;
}

bool IsFolder(const std::string& systemPath)
{
    const auto host = platform::HostPath(systemPath);
    struct stat info {};
    return host && stat(host->c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<std::string> FolderArgument(const std::string& hostArgument)
{
    auto folder = SystemPathOfArgument(hostArgument);
    if (!folder) {
        WriteError(hostArgument + ": " + NotOnAnyDrive());
        return std::nullopt;
    }
    if (!IsFolder(*folder)) {
        WriteError(hostArgument + ": not a folder that can be read");
        return std::nullopt;
    }
    return folder;
}

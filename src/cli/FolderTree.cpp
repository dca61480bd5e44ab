#include "FolderTree.h"

#include "CliOutput.h"
#include "CliPaths.h"
#include "platform/FileFind.h"
#include "platform/Machine.h"

#include <dirent.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace {

using FolderId = std::pair<dev_t, ino_t>;

bool StatFolder(const std::string& systemPath, FolderId& id)
{
    const auto host = platform::HostPath(systemPath);
    struct stat info {};
    if (!host || stat(host->c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    id = {info.st_dev, info.st_ino};
    return true;
}

std::vector<std::string> Subfolders(const std::string& folder)
{
    std::vector<std::string> folders;
    platform::CFileFind finder;
    bool more = finder.FindFile(folder + "\\*.*");
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDirectory() && !finder.IsDots()) folders.push_back(finder.GetFilePath());
    }
    return folders;
}

void Walk(const std::string& folder, bool recurse, std::set<FolderId>& seen,
          const std::function<void(const std::string&)>& onFolder)
{
    FolderId id{};
    if (StatFolder(folder, id) && !seen.insert(id).second) return;
    onFolder(folder);
    if (!recurse) return;
    for (const std::string& subfolder : Subfolders(folder))
        Walk(subfolder, recurse, seen, onFolder);
}

} // namespace

void WalkFolderTree(const std::string& folder, bool recurse, const std::function<void(const std::string&)>& onFolder)
{
    std::set<FolderId> seen;
    Walk(folder, recurse, seen, onFolder);
}

bool CanReadFolder(const std::string& systemPath)
{
    const auto host = platform::HostPath(systemPath);
    if (!host) return false;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(host->c_str()), closedir);
    return dir != nullptr;
}

bool IsFolder(const std::string& systemPath)
{
    FolderId id{};
    return StatFolder(systemPath, id);
}

std::optional<std::string> FolderArgument(const std::string& hostArgument)
{
    const auto folder = SystemPathOfArgument(hostArgument);
    if (!folder) {
        WriteError(hostArgument + ": not on any drive");
        return std::nullopt;
    }
    if (!IsFolder(*folder)) {
        WriteError(hostArgument + ": not a folder that can be read");
        return std::nullopt;
    }
    return folder;
}

#include "FolderWalk.h"

#include "platform/FileFind.h"
#include "platform/Machine.h"

#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace {

struct WalkState {
    const FolderWalkCallbacks& callbacks;
    bool recurse;
    std::set<std::pair<dev_t, ino_t>> entered; // folders already walked, so link cycles end
};

bool EndsInMp3(const std::string& name)
{
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".mp3") == 0;
}

void ReportFailed(const WalkState& state, const std::string& folder)
{
    if (state.callbacks.onFolderFailed) state.callbacks.onFolderFailed(folder);
}

// False when the folder was walked before or cannot be identified.
bool EnterOnce(WalkState& state, const std::string& folder)
{
    const auto host = platform::HostPath(folder);
    struct stat info {};
    if (!host || ::stat(host->c_str(), &info) != 0) {
        ReportFailed(state, folder);
        return false;
    }
    return state.entered.emplace(info.st_dev, info.st_ino).second;
}

// An empty drive root yields no entries at all; only an unreadable folder is a failure.
bool IsReadableEmptyFolder(const std::string& folder)
{
    const auto host = platform::HostPath(folder);
    std::error_code error;
    return host && std::filesystem::is_empty(*host, error) && !error;
}

void WalkFolder(WalkState& state, const std::string& folder)
{
    if (!EnterOnce(state, folder)) return;
    platform::CFileFind finder;
    bool more = finder.FindFile(folder + "\\*.*");
    if (!more && !IsReadableEmptyFolder(folder)) ReportFailed(state, folder);
    while (more) {
        more = finder.FindNextFile();
        const std::string name = finder.GetFileName();
        if (state.recurse && finder.IsDirectory() && !finder.IsDots())
            WalkFolder(state, finder.GetFilePath());
        else if (EndsInMp3(name) && state.callbacks.onFile)
            state.callbacks.onFile(folder, name);
    }
}

} // namespace

void WalkMp3Files(const std::string& folder, bool recurse, const FolderWalkCallbacks& callbacks)
{
    WalkState state{callbacks, recurse, {}};
    WalkFolder(state, folder);
}

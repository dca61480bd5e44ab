#include "FolderWalk.h"

#include "platform/FileFind.h"
#include "platform/Machine.h"
#include "platform/SystemPathName.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace {

struct WalkState {
    const FolderWalkCallbacks& callbacks;
    bool recurse;
    std::set<std::pair<dev_t, ino_t>> entered; // folders already walked, so link cycles end
    std::string insideRoot; // stayInside: the start folder's resolved host path, empty when unknown
};

// The resolved host path of a system path: links and dot names gone; empty when it cannot be resolved.
std::string ResolvedHostPath(const std::string& systemPath)
{
    const auto host = platform::HostPath(systemPath);
    if (!host) return {};
    const std::unique_ptr<char, decltype(&std::free)> resolved(realpath(host->c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : std::string();
}

// A link whose target cannot be resolved (dangling, a loop) counts as outside:
// a write must never go where the walk cannot tell.
bool LeadsInside(const WalkState& state, const std::string& linkPath)
{
    const std::string target = ResolvedHostPath(linkPath);
    const std::string& root = state.insideRoot;
    if (target.empty() || root.empty()) return false;
    return root == "/" || target == root || (target.starts_with(root) && target[root.size()] == '/');
}

// False when a writing walk must pass the entry by; it is then named.
bool MayFollow(const WalkState& state, const platform::CFileFind& finder)
{
    if (!state.callbacks.stayInside || !finder.IsLink() || LeadsInside(state, finder.GetFilePath())) return true;
    if (state.callbacks.onLinkOutside) state.callbacks.onLinkOutside(finder.GetFilePath());
    return false;
}

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

// Names the entries the walk would have taken but cannot address.
void ReportUncarried(const WalkState& state, const std::string& folder, const platform::CFileFind& finder)
{
    if (!state.callbacks.onUncarried) return;
    for (const platform::CFileFind::Entry& entry : finder.UncarriedEntries())
        if (EndsInMp3(entry.name) || (state.recurse && entry.directory))
            state.callbacks.onUncarried(platform::JoinSystemPath(folder, entry.name));
}

bool Stopped(const WalkState& state)
{
    return state.callbacks.stopped && state.callbacks.stopped();
}

void WalkFolder(WalkState& state, const std::string& folder)
{
    if (Stopped(state) || !EnterOnce(state, folder)) return;
    if (state.callbacks.onFolder) state.callbacks.onFolder(folder);
    // A walk that wants folders only has nothing to look for in a folder it does not descend from.
    if (Stopped(state) || (!state.recurse && !state.callbacks.onFile)) return;
    platform::CFileFind finder;
    bool more = finder.FindFile(platform::JoinSystemPath(folder, "*.*"));
    ReportUncarried(state, folder, finder);
    if (!more && finder.UncarriedEntries().empty() && !IsReadableEmptyFolder(folder)) ReportFailed(state, folder);
    while (more && !Stopped(state)) {
        more = finder.FindNextFile();
        const std::string name = finder.GetFileName();
        const bool subfolder = state.recurse && finder.IsDirectory() && !finder.IsDots();
        if (!(subfolder || EndsInMp3(name)) || !MayFollow(state, finder)) continue;
        if (subfolder)
            WalkFolder(state, finder.GetFilePath());
        else if (state.callbacks.onFile)
            state.callbacks.onFile(folder, name);
    }
}

} // namespace

void WalkMp3Files(const std::string& folder, bool recurse, const FolderWalkCallbacks& callbacks)
{
    WalkState state{callbacks, recurse, {}, callbacks.stayInside ? ResolvedHostPath(folder) : std::string()};
    WalkFolder(state, folder);
}

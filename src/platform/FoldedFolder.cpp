#include "FoldedFolder.h"

#include "CaseFold.h"
#include "DirHandle.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <unordered_map>

namespace platform {

namespace {


struct FolderIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};

    bool operator==(const FolderIdentity& other) const
    {
        return device == other.device && inode == other.inode && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

struct FolderIndex {
    std::string folder; // empty: no index
    FolderIdentity identity;
    std::unordered_multimap<std::string, std::string> byFold; // fold -> name
};

thread_local FolderIndex t_index;
thread_local int t_batchDepth = 0;

std::optional<FolderIdentity> IdentityOf(const std::string& hostFolder)
{
    struct stat info {};
    if (stat(hostFolder.c_str(), &info) != 0) return std::nullopt;
    return FolderIdentity{info.st_dev, info.st_ino, info.st_mtim};
}

// Reads the folder into the index; 0 or the errno value.
int Rebuild(const std::string& hostFolder, const FolderIdentity& identity)
{
    t_index = {};
    const DirHandle dir(opendir(hostFolder.c_str()));
    if (!dir) return errno;
    FolderIndex index{hostFolder, identity, {}};
    for (;;) {
        errno = 0; // readdir's only way to tell an error from the end
        const dirent* record = readdir(dir.get());
        if (record == nullptr) break;
        const std::string_view name = record->d_name;
        if (name != "." && name != "..") index.byFold.emplace(FoldCase(name), std::string(name));
    }
    if (errno != 0) return errno;
    t_index = std::move(index);
    return 0;
}

std::pair<std::string, std::string> SplitHostPath(const std::string& hostPath)
{
    const std::size_t slash = hostPath.rfind('/');
    return {slash == 0 ? "/" : hostPath.substr(0, slash), hostPath.substr(slash + 1)};
}

void Forget(const std::string& name)
{
    auto [from, to] = t_index.byFold.equal_range(FoldCase(name));
    for (; from != to; ++from)
        if (from->second == name) {
            t_index.byFold.erase(from);
            return;
        }
}

} // namespace

int NamesFoldingTo(const std::string& hostFolder, std::string_view folded, std::vector<std::string>& names)
{
    names.clear();
    const std::optional<FolderIdentity> identity = IdentityOf(hostFolder);
    if (!identity) return errno;
    if (t_batchDepth == 0 || t_index.folder != hostFolder || !(t_index.identity == *identity))
        if (const int error = Rebuild(hostFolder, *identity); error != 0) return error;
    auto [from, to] = t_index.byFold.equal_range(std::string(folded));
    for (; from != to; ++from)
        names.push_back(from->second);
    return 0;
}

void NoteMove(const std::string& hostFrom, const std::string& hostTo)
{
    const auto [fromFolder, fromName] = SplitHostPath(hostFrom);
    const auto [toFolder, toName] = SplitHostPath(hostTo);
    if (t_index.folder.empty()) return;
    // A move touching another folder than the indexed one leaves it as it is;
    // the index follows only what this thread did to its own folder.
    const bool fromHere = fromFolder == t_index.folder, toHere = toFolder == t_index.folder;
    if (!fromHere && !toHere) return;
    const std::optional<FolderIdentity> identity = IdentityOf(t_index.folder);
    if (!identity) {
        t_index = {};
        return;
    }
    if (fromHere) Forget(fromName);
    if (toHere) t_index.byFold.emplace(FoldCase(toName), toName);
    t_index.identity = *identity;
}

CMoveBatch::CMoveBatch()
{
    ++t_batchDepth;
}

CMoveBatch::~CMoveBatch()
{
    if (--t_batchDepth == 0) t_index = {};
}

} // namespace platform

#include "PrintFiles.h"

#include "FolderWalk.h"
#include "WalkProgress.h"
#include "platform/SystemPathName.h"
#include "tag/Id3v1Tag.h"

std::vector<std::string> CollectPrintFiles(const std::string& folder, bool recurse, bool withUntagged,
                                           const ProgressHook& progress)
{
    std::vector<std::string> files;
    CId3v1Tag tag;
    CWalkProgress walk(progress);
    FolderWalkCallbacks callbacks;
    walk.Attach(callbacks);
    callbacks.onFile = [&](const std::string& where, const std::string& name) {
        walk.Found();
        const std::string path = platform::JoinSystemPath(where, name);
        if (tag.Open(path) && (tag.HasTag() || withUntagged)) files.push_back(path);
        walk.Done();
    };
    WalkMp3Files(folder, recurse, callbacks);
    return files;
}

#include "PrintFiles.h"

#include "FolderWalk.h"
#include "platform/SystemPathName.h"
#include "tag/Id3v1Tag.h"

std::vector<std::string> CollectPrintFiles(const std::string& folder, bool recurse, bool withUntagged)
{
    std::vector<std::string> files;
    CId3v1Tag tag;
    FolderWalkCallbacks callbacks;
    callbacks.onFile = [&](const std::string& where, const std::string& name) {
        const std::string path = platform::JoinSystemPath(where, name);
        if (tag.Open(path) && (tag.HasTag() || withUntagged)) files.push_back(path);
    };
    WalkMp3Files(folder, recurse, callbacks);
    return files;
}

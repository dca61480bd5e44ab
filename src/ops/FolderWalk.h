// The folder walk of Rename all, MultiTag and the printout.
#pragma once

#include <functional>
#include <string>

// Searches folder\*.* and, for every entry whose name ends in exactly ".mp3"
// (lower case), calls onFile(folder, name). With recurse, a subfolder is
// walked depth first where the search meets it. A folder is never entered
// twice (identified by device and inode), so symbolic-link cycles end.
// onFolderFailed, when given, is told of a folder that could not be read.
struct FolderWalkCallbacks {
    std::function<void(const std::string& folder, const std::string& name)> onFile;
    std::function<void(const std::string& folder)> onFolderFailed;
};
void WalkMp3Files(const std::string& folder, bool recurse, const FolderWalkCallbacks& callbacks);

// The folder walk of Rename all, MultiTag and the printout.
#pragma once

#include <functional>
#include <string>

// Searches folder\*.* and, for every entry whose name ends in exactly ".mp3"
// (lower case), calls onFile(folder, name). With recurse, a subfolder is
// walked depth first where the search meets it. A folder is never entered
// twice (identified by device and inode), so symbolic-link cycles end.
// onFolder, when given, is called for each folder as the walk enters it
// (the start folder first), before any of its files.
// onFolderFailed, when given, is told of a folder that could not be read.
// A walk that writes sets stayInside: a symbolic link (to a file or a
// folder) that resolves outside the start folder is then neither followed
// nor handed to onFile, but named to onLinkOutside with its system path.
// Links that stay inside are followed as any entry is.
struct FolderWalkCallbacks {
    std::function<void(const std::string& folder, const std::string& name)> onFile;
    std::function<void(const std::string& folder)> onFolder;
    std::function<void(const std::string& folder)> onFolderFailed;
    bool stayInside = false;
    std::function<void(const std::string& path)> onLinkOutside;
    // An MP3 file (or, recursing, a folder) whose name no system path can
    // carry, with the path it would have; the walk cannot reach it.
    std::function<void(const std::string& path)> onUncarried;
    // Asked before each entry and each folder: true ends the walk there.
    std::function<bool()> stopped;
};
inline constexpr const char* kUncarriedReason = "name holds a backslash, which this program cannot address";
// The reason a walk's caller gives for a folder it could not read.
inline constexpr const char* kFolderUnreadableReason = "cannot read folder";
// The reason a writing walk gives for a link it did not follow.
inline constexpr const char* kLinkOutsideReason = "link leads outside the folder";
void WalkMp3Files(const std::string& folder, bool recurse, const FolderWalkCallbacks& callbacks);

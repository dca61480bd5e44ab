// The folders of a tree in walk order, for listing a tree folder by folder.
#pragma once

#include <functional>
#include <optional>
#include <string>

// Calls onFolder(folder) for folder, then (with recurse) walks each
// subfolder depth first in the finder's order. A folder is never entered
// twice (device and inode), so symbolic-link cycles end.
void WalkFolderTree(const std::string& folder, bool recurse, const std::function<void(const std::string&)>& onFolder);
// True when the system path names a folder that exists.
bool IsFolder(const std::string& systemPath);
// True when the folder's entries can be read.
bool CanReadFolder(const std::string& systemPath);
// The folder a command works on, from its argument; names the problem on
// stderr and gives nullopt when it is on no drive or is no readable folder.
std::optional<std::string> FolderArgument(const std::string& hostArgument);

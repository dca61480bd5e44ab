// The folder a command works on: checks of a folder named on the command line.
#pragma once

#include <optional>
#include <string>

// True when the system path names a folder that exists.
bool IsFolder(const std::string& systemPath);
// True when the folder's entries can be read.
bool CanReadFolder(const std::string& systemPath);
// The folder a command works on, from its argument; names the problem on
// stderr and gives nullopt when it is on no drive or is no readable folder.
std::optional<std::string> FolderArgument(const std::string& hostArgument);

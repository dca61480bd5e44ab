// The files a printed listing shows.
#pragma once

#include <string>
#include <vector>

// Paths of the lower-case ".mp3" files of folder (and of its subfolders when
// recurse, depth first) that open; a file without a tag only when withUntagged.
std::vector<std::string> CollectPrintFiles(const std::string& folder, bool recurse, bool withUntagged);

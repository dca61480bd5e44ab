// The files a printed listing shows.
#pragma once

#include "WorkProgress.h"

#include <string>
#include <vector>

// Paths of the lower-case ".mp3" files of folder (and of its subfolders when
// recurse, depth first) that open; a file without a tag only when withUntagged.
// progress is told after each file; stopping it returns the files collected so far.
std::vector<std::string> CollectPrintFiles(const std::string& folder, bool recurse, bool withUntagged,
                                           const ProgressHook& progress = {});

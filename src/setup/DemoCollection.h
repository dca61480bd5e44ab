// A small collection of MP3 files to try the program on.
#pragma once

#include <string>

namespace setup {

struct DemoResult {
    int written = 0;
    int kept = 0; // names that existed already and were left alone
    int failed = 0;
};

// Writes 36 short silent MP3 files into hostFolder (created if missing) and
// two levels of subfolders: tagged files named by the pattern "%1 - %2",
// tagged files with other names, files without a tag, and one ".MP3" name.
// Tag texts are Latin-1, written in the current machine's code page. An
// existing file is never overwritten.
DemoResult WriteDemoCollection(const std::string& hostFolder);

} // namespace setup

// How far a long walk over files has got, told to whoever shows it; the
// answer lets the user stop the work between two files.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

struct WorkProgress {
    std::size_t done = 0;  // files finished, changed or not
    std::size_t found = 0; // files met so far; grows while the walk goes on
    std::string folder;    // system path of the folder the work is in
};

// Called on the caller's thread between two files; false stops the work
// there. Files already taken in hand are finished first, so every file ends
// whole and the journal names exactly the files changed.
using ProgressHook = std::function<bool(const WorkProgress&)>;

// The regular files under a folder (relative path -> bytes), and the check
// that a run left each file either as it was or as intended.
#pragma once

#include <map>
#include <string>
#include <vector>

using FileSnapshot = std::map<std::string, std::string>;

// Symbolic links are not followed; unreadable entries are skipped.
FileSnapshot TakeSnapshot(const std::string& folder);

// Files are matched by identity: a test file starts with "SDXID" and its own
// name, so a renamed file is still the same file; any other file is known by
// its path. Adds a test failure for every file that is neither as before nor
// as intended (name and bytes), lost, doubled or new; returns the old paths
// of the files that are not as intended.
std::vector<std::string> ExpectBeforeOrIntended(const FileSnapshot& before, const FileSnapshot& intended,
                                                const FileSnapshot& after);

// Putting the built language files where the program reads (and rewrites) them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace setup {

// Copies every ".qzd" file of fromFolder that toFolder lacks (creating
// toFolder). A file already there is kept: the program rewrites its language
// file on every exit, so it is the user's copy. Returns the names copied, or
// nullopt with a message when fromFolder holds no language file or a copy fails.
std::optional<std::vector<std::string>> CopyMissingLanguageFiles(const std::string& fromFolder,
                                                                 const std::string& toFolder, std::string& error);

} // namespace setup

// Bringing language files copied by an earlier set-up up to date.
#pragma once

#include <string>
#include <vector>

namespace setup {

struct LanguageUpdate {
    std::string name;       // the file's name, "Deutsch.qzd"
    std::vector<int> added; // the text numbers it gained, in the installed file's order
    std::string problem;    // why it could not be brought up to date; "" when it was
};

// Adds to each language file of toFolder the texts it lacks, taken from the
// file of the same name in fromFolder. A number the copy holds is never
// changed, whatever its text: the user may have edited it. The copy's own
// bytes stay as they are and the new rows follow them; a copy that is a
// symbolic link stays one (the file it names is updated). A copy whose table
// layout differs from the installed file's is left alone and named. Returns
// the files that gained texts or could not be updated.
std::vector<LanguageUpdate> AddMissingTexts(const std::string& fromFolder, const std::string& toFolder);

} // namespace setup

// Settings the command line takes from the hive, as the window does.
#pragma once

#include <optional>
#include <string>

// The rename pattern as a system string: the option when given (UTF-8),
// else the stored pattern read as the window reads it: missing, or longer
// than the window's buffer, it is empty.
std::string RenamePattern(const std::optional<std::string>& option);
// The word after the count in the list summary, as a system string: the
// language's text for one file when count is 1 and the table has one, else
// its plural (text::kFiles); "file" or "files" when no table can be loaded.
std::string FilesWord(int count);

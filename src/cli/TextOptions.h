// Typed text that the code page cannot hold is refused, never written as '?'.
#pragma once

#include "CliOptions.h"

#include <optional>
#include <string>

namespace platform {
class CodePage;
}

// The message for the first text option (the field options, --pattern) that
// holds a character with no byte in the page, e.g. "artist: 'Ł' is not in
// code page 1252"; nullopt when every option fits.
std::optional<std::string> UnholdableTextOption(const CliOptions& options, const platform::CodePage& page);

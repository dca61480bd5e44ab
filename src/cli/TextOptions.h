// Typed text that the code page cannot hold is refused, never written as '?'.
#pragma once

#include "CliOptions.h"

#include <optional>
#include <string>
#include <vector>

namespace platform {
class CodePage;
}

// The message for the first text option (the field options, --pattern) that
// holds a character with no byte in the page, e.g. "artist: 'Ł' is not in
// code page 1252"; nullopt when every option fits.
std::optional<std::string> UnholdableTextOption(const CliOptions& options, const platform::CodePage& page);

// A field option whose text, in the code page's bytes, is longer than its
// field (30 bytes, the year 4): the save cuts it.
struct OverlongText {
    Field field;
    std::size_t bytes; // the text's length
    std::size_t width; // the field's
    std::string kept;  // what the field will hold, UTF-8
};
std::vector<OverlongText> OverlongTextOptions(const CliOptions& options);
// "title: 35 bytes, the field holds 30"
std::string DescribeOverlong(const OverlongText& overlong);

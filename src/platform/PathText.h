// Path and file name bytes as text: what a user sees, and what a script needs.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);
// The bytes decoded as UTF-8, each byte that is not part of valid UTF-8
// shown as U+FFFD: always valid UTF-8, for screens and JSON. Two names may
// read alike; the bytes still tell them apart.
std::string DisplayText(std::string_view bytes);
// The bytes as lower-case hexadecimal digits, two per byte.
std::string HexOfBytes(std::string_view bytes);

} // namespace platform

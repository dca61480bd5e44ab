// UTF-8 text to code points, through iconv.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Stands for one byte that is not part of valid UTF-8 (outside Unicode).
constexpr char32_t kInvalidUtf8Byte = 0x110000;

// Each invalid byte becomes one kInvalidUtf8Byte, so bad input never stops
// the conversion.
std::u32string DecodeUtf8(std::string_view utf8);
// True when every byte is below 0x80: such text is UTF-8 (and its own
// conversion) as it stands, the common fast path of names and tags.
bool IsAscii(std::string_view text);
// The UTF-8 form of one code point; U+FFFD for one that has none.
std::string EncodeUtf8(char32_t codePoint);

} // namespace platform

// UTF-8 text to code points and back, by the rules of well-formed UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Stands for one byte that is not part of valid UTF-8 (outside Unicode).
constexpr char32_t kInvalidUtf8Byte = 0x110000;

// Each invalid byte becomes one kInvalidUtf8Byte, so bad input never stops
// the conversion. Well-formed means no overlong forms, no surrogates and
// nothing above U+10FFFF.
std::u32string DecodeUtf8(std::string_view utf8);
// The length of the well-formed UTF-8 sequence at text[at] (1 for ASCII),
// or 0 where a stray byte stands.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);
// The code point of the well-formed sequence of that length at text[at].
char32_t CodePointAt(std::string_view text, std::size_t at, std::size_t length);
// True when every byte is below 0x80: such text is UTF-8 (and its own
// conversion) as it stands, the common fast path of names and tags.
bool IsAscii(std::string_view text);
// Appends the UTF-8 form of one code point; U+FFFD for one that has none
// (a surrogate, or beyond U+10FFFF).
void AppendUtf8(char32_t codePoint, std::string& out);
std::string EncodeUtf8(char32_t codePoint);

} // namespace platform

// Unicode simple case folding: the one rule by which two names are the same
// name on the case-insensitive file systems the system was made for.
#pragma once

#include <string>
#include <string_view>

#include "Utf8Decode.h" // IsAscii

namespace platform {

// The simple case folding of one code point (to one code point; "ß" stays,
// "ẞ" becomes "ß", "Σ", "σ" and "ς" all become "σ"). Anything that is not a
// code point (an invalid byte's stand-in) is returned unchanged.
char32_t FoldCase(char32_t codePoint);

// Each character of UTF-8 text folded; a byte that is not valid UTF-8 stays
// itself. Two names are one name to a case-insensitive file system exactly
// when their folds are equal. Names of ASCII only take a fast path.
std::string FoldCase(std::string_view utf8);
// FoldCase(utf8) onto the end of folded, for a caller that folds many names.
void AppendFolded(std::string& folded, std::string_view utf8);

// The code points of FoldCase(utf8); an invalid byte b becomes
// kInvalidUtf8Byte + b, so unlike bytes stay unlike.
std::u32string FoldedCodePoints(std::string_view utf8);

// FoldCase(name) == folded, without building the fold of an ASCII name
// (a folder scan asks this of every entry).
bool FoldsTo(std::string_view name, std::string_view folded);

} // namespace platform

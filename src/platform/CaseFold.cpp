#include "CaseFold.h"

#include "Utf8Decode.h"

#include <algorithm>
#include <clocale>
#include <cwctype>

namespace platform {

namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kCapitalIWithDot = 0x130; // folds only under Turkic rules, which
constexpr char32_t kSmallDotlessI = 0x131;   // simple folding leaves out

// The C library's case tables for Unicode, independent of the user's locale.
// Null when the system lacks C.UTF-8: then only ASCII folds.
locale_t UnicodeLocale()
{
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    return locale;
}

char AsciiFold(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsCherokee(char32_t c)
{
    return (c >= 0x13A0 && c <= 0x13FD) || (c >= 0xAB70 && c <= 0xABBF);
}

} // namespace

char32_t FoldCase(char32_t c)
{
    if (c < 0x80) return static_cast<char32_t>(AsciiFold(static_cast<char>(c)));
    const locale_t locale = UnicodeLocale();
    if (c > kLastCodePoint || c == kCapitalIWithDot || c == kSmallDotlessI || locale == nullptr) return c;
    const auto wide = static_cast<wint_t>(c);
    // Cherokee folds to its capitals, the one script that folds upward.
    if (IsCherokee(c)) return static_cast<char32_t>(towupper_l(wide, locale));
    // Through the capital, so that forms without their own capital pair
    // ("ς", "ſ", "K" the Kelvin sign, "ϐ") meet their letter.
    return static_cast<char32_t>(towlower_l(towupper_l(wide, locale), locale));
}

bool FoldsTo(std::string_view name, std::string_view folded)
{
    if (!IsAscii(name)) return FoldCase(name) == folded;
    return std::ranges::equal(name, folded, [](char a, char b) { return AsciiFold(a) == b; });
}

std::u32string FoldedCodePoints(std::string_view utf8)
{
    std::u32string points;
    points.reserve(utf8.size());
    // Each code point as DecodeUtf8 reads it, each invalid byte b as
    // kInvalidUtf8Byte + b.
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8SequenceLength(utf8, at);
        if (length == 0) {
            points.push_back(kInvalidUtf8Byte + static_cast<unsigned char>(utf8[at]));
            ++at;
            continue;
        }
        points.push_back(FoldCase(CodePointAt(utf8, at, length)));
        at += length;
    }
    return points;
}

std::string FoldCase(std::string_view utf8)
{
    std::string folded;
    folded.reserve(utf8.size());
    AppendFolded(folded, utf8);
    return folded;
}

void AppendFolded(std::string& folded, std::string_view utf8)
{
    // Written in place: a character takes at least one byte and its fold at
    // most the four of the longest UTF-8 sequence.
    constexpr std::size_t kMostPerByte = 4;
    const std::size_t start = folded.size();
    folded.resize(start + kMostPerByte * utf8.size());
    char* out = folded.data() + start;
    for (std::size_t at = 0; at < utf8.size();) {
        if (static_cast<unsigned char>(utf8[at]) < 0x80) { // the common case, without a look at the tables
            *out++ = AsciiFold(utf8[at++]);
            continue;
        }
        const std::size_t length = Utf8SequenceLength(utf8, at);
        if (length == 0) {
            *out++ = utf8[at++];
            continue;
        }
        const char32_t point = CodePointAt(utf8, at, length);
        const char32_t foldedPoint = FoldCase(point);
        if (foldedPoint == point) // most characters fold to themselves
            out = std::copy_n(utf8.data() + at, length, out);
        else
            out = std::ranges::copy(EncodeUtf8(foldedPoint), out).out;
        at += length;
    }
    folded.resize(static_cast<std::size_t>(out - folded.data()));
}

} // namespace platform

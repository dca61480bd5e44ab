#include "CaseFold.h"

#include "Iconv.h"
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

std::size_t Utf8Width(char32_t codePoint)
{
    return codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : codePoint < 0x10000 ? 3 : 4;
}

// The code points of utf8, with each invalid byte b as kInvalidUtf8Byte + b:
// DecodeUtf8 gives one stand-in per invalid byte, and every valid code point
// used exactly its UTF-8 width, so the walk below finds each byte again.
std::u32string CodePointsOf(std::string_view utf8)
{
    std::u32string points = DecodeUtf8(utf8);
    std::size_t at = 0;
    for (char32_t& point : points) {
        if (point == kInvalidUtf8Byte) {
            point += static_cast<unsigned char>(utf8[at]);
            ++at;
        } else {
            at += Utf8Width(point);
        }
    }
    return points;
}

// UTF-8 of code points that are all valid, in one conversion.
void AppendUtf8(std::u32string_view points, std::string& out)
{
    if (points.empty()) return;
    thread_local Iconv encoder("UTF-8", "UTF-32LE");
    std::string utf32;
    utf32.reserve(points.size() * 4);
    for (const char32_t point : points)
        for (int shift = 0; shift < 32; shift += 8)
            utf32.push_back(static_cast<char>((point >> shift) & 0xFF));
    std::size_t used = 0;
    std::string utf8;
    encoder.Convert(utf32, used, utf8, points.size() * 4);
    out += utf8;
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
    std::u32string points = IsAscii(utf8) ? std::u32string(utf8.begin(), utf8.end()) : CodePointsOf(utf8);
    for (char32_t& point : points)
        point = FoldCase(point);
    return points;
}

std::string FoldCase(std::string_view utf8)
{
    if (IsAscii(utf8)) {
        std::string folded(utf8);
        for (char& c : folded)
            c = AsciiFold(c);
        return folded;
    }
    // A character that folds to itself (most of any name) keeps its own
    // bytes; only the others are encoded again. An invalid byte's stand-in
    // folds to itself and so stays that byte.
    std::string folded;
    folded.reserve(utf8.size());
    std::size_t at = 0;
    for (const char32_t point : CodePointsOf(utf8)) {
        const std::size_t width = point > kLastCodePoint ? 1 : Utf8Width(point);
        const char32_t fold = FoldCase(point);
        if (fold == point)
            folded.append(utf8.substr(at, width));
        else if (fold < 0x80)
            folded.push_back(static_cast<char>(fold));
        else
            AppendUtf8(std::u32string_view(&fold, 1), folded);
        at += width;
    }
    return folded;
}

} // namespace platform

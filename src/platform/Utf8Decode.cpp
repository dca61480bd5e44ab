#include "Utf8Decode.h"

#include <algorithm>

namespace platform {

namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

// The payload bits of a lead byte of a sequence of the given length.
char32_t LeadBits(unsigned char byte, std::size_t length)
{
    static constexpr unsigned char kMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    return byte & kMask[length];
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the second byte's range
    if (byte >= 0xC2 && byte <= 0xDF) {
        length = 2;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        length = 3;
        if (byte == 0xE0) low = 0xA0; // overlong
        if (byte == 0xED) high = 0x9F; // surrogates
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        length = 4;
        if (byte == 0xF0) low = 0x90; // overlong
        if (byte == 0xF4) high = 0x8F; // beyond U+10FFFF
    }
    if (length == 0 || at + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

char32_t CodePointAt(std::string_view text, std::size_t at, std::size_t length)
{
    char32_t point = LeadBits(static_cast<unsigned char>(text[at]), length);
    for (std::size_t k = 1; k < length; ++k)
        point = (point << 6) | (static_cast<unsigned char>(text[at + k]) & 0x3F);
    return point;
}

std::u32string DecodeUtf8(std::string_view utf8)
{
    std::u32string result;
    result.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8SequenceLength(utf8, at);
        if (length == 0) {
            result.push_back(kInvalidUtf8Byte);
            ++at;
            continue;
        }
        result.push_back(CodePointAt(utf8, at, length));
        at += length;
    }
    return result;
}

bool IsAscii(std::string_view text)
{
    return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void AppendUtf8(char32_t codePoint, std::string& out)
{
    if (codePoint > kLastCodePoint || IsSurrogate(codePoint)) codePoint = kReplacement;
    const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
    if (codePoint < 0x80) {
        out += byte(codePoint);
    } else if (codePoint < 0x800) {
        out += byte(0xC0 | (codePoint >> 6));
        out += byte(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += byte(0xE0 | (codePoint >> 12));
        out += byte(0x80 | ((codePoint >> 6) & 0x3F));
        out += byte(0x80 | (codePoint & 0x3F));
    } else {
        out += byte(0xF0 | (codePoint >> 18));
        out += byte(0x80 | ((codePoint >> 12) & 0x3F));
        out += byte(0x80 | ((codePoint >> 6) & 0x3F));
        out += byte(0x80 | (codePoint & 0x3F));
    }
}

std::string EncodeUtf8(char32_t codePoint)
{
    std::string out;
    AppendUtf8(codePoint, out);
    return out;
}

} // namespace platform

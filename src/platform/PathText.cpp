#include "PathText.h"

#include "Utf8Decode.h"

#include <algorithm>

namespace platform {

namespace {
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";
} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    if (IsAscii(bytes)) return true;
    const std::u32string points = DecodeUtf8(bytes);
    return std::find(points.begin(), points.end(), kInvalidUtf8Byte) == points.end();
}

std::string DisplayText(std::string_view bytes)
{
    if (IsValidUtf8(bytes)) return std::string(bytes);
    std::string text;
    text.reserve(bytes.size() + 8);
    for (const char32_t point : DecodeUtf8(bytes))
        text += point == kInvalidUtf8Byte ? std::string(kReplacementUtf8) : EncodeUtf8(point);
    return text;
}

std::string HexOfBytes(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

} // namespace platform

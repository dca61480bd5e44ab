#include "Utf8Decode.h"

#include "Iconv.h"

#include <algorithm>
#include <cerrno>

namespace platform {

namespace {

constexpr std::size_t kUtf32Width = 4;

char32_t ReadUtf32Le(const std::string& bytes, std::size_t at)
{
    char32_t value = 0;
    for (std::size_t i = kUtf32Width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::string WriteUtf32Le(char32_t value)
{
    std::string bytes(kUtf32Width, '\0');
    for (std::size_t i = 0; i < kUtf32Width; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

} // namespace

std::u32string DecodeUtf8(std::string_view utf8)
{
    // One descriptor per thread: iconv descriptors keep state and are not shared.
    thread_local Iconv decoder("UTF-32LE", "UTF-8");
    std::u32string result;
    result.reserve(utf8.size());
    std::string out;
    while (!utf8.empty()) {
        std::size_t used = 0;
        const int error = decoder.Convert(utf8, used, out, utf8.size() * kUtf32Width);
        for (std::size_t at = 0; at + kUtf32Width <= out.size(); at += kUtf32Width)
            result.push_back(ReadUtf32Le(out, at));
        utf8.remove_prefix(used);
        if (error == 0 || !decoder.IsValid()) {
            if (!decoder.IsValid()) result.append(utf8.size(), kInvalidUtf8Byte);
            break;
        }
        if (error == E2BIG) continue;
        // EILSEQ or EINVAL (a sequence cut off at the end): skip one byte and go on.
        result.push_back(kInvalidUtf8Byte);
        utf8.remove_prefix(1);
    }
    return result;
}

bool IsAscii(std::string_view text)
{
    return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string EncodeUtf8(char32_t codePoint)
{
    thread_local Iconv encoder("UTF-8", "UTF-32LE");
    std::size_t used = 0;
    std::string out;
    if (encoder.Convert(WriteUtf32Le(codePoint), used, out, 8) != 0 || out.empty()) return "\xEF\xBF\xBD";
    return out;
}

} // namespace platform

#include "platform/Iconv.h"
#include "platform/Utf8Decode.h"

#include <gtest/gtest.h>

#include <cerrno>

using platform::DecodeUtf8;
using platform::kInvalidUtf8Byte;

namespace {

// The C library's own decoder, the reference: one stand-in per byte it refuses.
std::u32string IconvDecode(std::string_view utf8)
{
    platform::Iconv decoder("UTF-32LE", "UTF-8");
    std::u32string result;
    while (!utf8.empty()) {
        std::size_t used = 0;
        std::string out;
        const int error = decoder.Convert(utf8, used, out, utf8.size() * 4);
        for (std::size_t at = 0; at + 4 <= out.size(); at += 4) {
            char32_t value = 0;
            for (std::size_t i = 4; i-- > 0;)
                value = (value << 8) | static_cast<unsigned char>(out[at + i]);
            result.push_back(value);
        }
        utf8.remove_prefix(used);
        if (error == 0) break;
        result.push_back(kInvalidUtf8Byte);
        utf8.remove_prefix(1);
    }
    return result;
}

} // namespace

// Every one- and two-byte string, and three- and four-byte strings around
// each boundary of the lead and continuation byte ranges (overlong forms,
// surrogates, the end of Unicode), decode as the C library decodes them.
TEST(Utf8Decode, AgreesWithTheCLibraryOnEveryBoundary)
{
    const unsigned char edges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF,
                                   0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    const auto check = [&](const std::string& bytes) {
        if (DecodeUtf8(bytes) != IconvDecode(bytes)) ADD_FAILURE() << "differs on " << ::testing::PrintToString(bytes);
    };
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b)
            check({static_cast<char>(a), static_cast<char>(b)});
    for (int lead = 0xC0; lead < 256; ++lead)
        for (const unsigned char second : edges)
            for (const unsigned char third : edges) {
                check({static_cast<char>(lead), static_cast<char>(second), static_cast<char>(third)});
                for (const unsigned char fourth : {0x41, 0x80, 0xBF, 0xC0})
                    check({static_cast<char>(lead), static_cast<char>(second), static_cast<char>(third),
                           static_cast<char>(fourth)});
            }
    EXPECT_EQ(DecodeUtf8("\xCE\xA9\xE6\x97\xA5\xF0\x9F\x8E\xB5"), U"\u03A9\u65E5\U0001F3B5");
}

TEST(Utf8Decode, EncodingRoundTripsAndRefusesWhatHasNoForm)
{
    for (const char32_t point : {U'\0', U'A', U'\u007F', U'\u0080', U'\u07FF', U'\u0800', U'\uD7FF', U'\uE000',
                                 U'\uFFFF', U'\U00010000', U'\U0010FFFF'}) {
        SCOPED_TRACE(static_cast<unsigned>(point));
        const std::string utf8 = platform::EncodeUtf8(point);
        EXPECT_EQ(DecodeUtf8(utf8), std::u32string(1, point));
        EXPECT_EQ(IconvDecode(utf8), std::u32string(1, point));
    }
    for (const char32_t none : {char32_t{0xD800}, char32_t{0xDFFF}, char32_t{0x110000}})
        EXPECT_EQ(platform::EncodeUtf8(none), "\xEF\xBF\xBD");
}

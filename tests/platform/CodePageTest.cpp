#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using platform::CodePage;

namespace {

struct Mapping {
    int page;
    const char* utf8;
    const char* bytes;
};

// A few characters each page holds at a byte of its own.
const Mapping kMappings[] = {
    {1252, "\xC3\xA9", "\xE9"},     // é
    {1252, "\xE2\x82\xAC", "\x80"}, // €
    {1252,
     "Stra\xC3\x9F"
     "e",
     "Stra\xDF"
     "e"},                          // Straße
    {1251, "\xD0\x96", "\xC6"},     // Ж
    {1251, "\xD1\x8F", "\xFF"},     // я
    {1251, "\xD0\x81", "\xA8"},     // Ё
    {1251, "\xE2\x82\xAC", "\x88"}, // € sits elsewhere in cp1251
    {1250, "\xC5\x91", "\xF5"},     // ő
    {1250, "\xC5\x81", "\xA3"},     // Ł
    {1250, "\xC4\x8D", "\xE8"},     // č
    {437, "\xC3\xA9", "\x82"},      // é
    {437, "\xE2\x96\x91", "\xB0"},  // ░
    {437, "\xC3\x9F", "\xE1"},      // ß
    {850, "\xC3\x98", "\x9D"},      // Ø
    {28595, "\xD0\x96", "\xB6"},    // Ж in ISO-8859-5
    {28591, "\xC3\xBF", "\xFF"},    // ÿ in ISO-8859-1
};

} // namespace

TEST(CodePage, ConvertsBothWaysOnEachPage)
{
    for (const Mapping& m : kMappings) {
        SCOPED_TRACE(std::to_string(m.page) + " " + m.utf8);
        const CodePage cp(m.page);
        EXPECT_TRUE(cp.IsKnown());
        EXPECT_EQ(cp.ToUtf8(m.bytes), m.utf8);
        EXPECT_EQ(cp.FromUtf8(m.utf8), m.bytes);
        EXPECT_TRUE(cp.CanHold(m.utf8));
    }
}

TEST(CodePage, EveryDefinedByteOf1252RoundTrips)
{
    const CodePage cp(1252);
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        const std::string utf8 = cp.ToUtf8(one);
        if (utf8 == "\xEF\xBF\xBD") continue; // the few bytes cp1252 leaves undefined
        SCOPED_TRACE(byte);
        EXPECT_EQ(cp.FromUtf8(utf8), one);
    }
}

TEST(CodePage, UndefinedByteBecomesReplacementCharacter)
{
    const CodePage cp(1252);
    EXPECT_EQ(cp.ToUtf8("a\x81z"), "a\xEF\xBF\xBDz");
    // The replacement character itself has no byte in the page.
    EXPECT_EQ(cp.FromUtf8("\xEF\xBF\xBD"), "?");
}

TEST(CodePage, CharacterThePageCannotHoldBecomesQuestionMark)
{
    struct Case {
        int page;
        const char* utf8;
        const char* bytes;
    } const cases[] = {
        {1252, "\xD0\x96", "?"},            // Ж
        {1251, "\xC3\xA9t\xC3\xA9", "?t?"}, // été
        {437,
         "\xE2\x82\xAC"
         "5",
         "?5"},                                   // €5
        {1252, "\xE6\x97\xA5\xE6\x9C\xAC", "??"}, // 日本
        {1252, "\xF0\x9F\x8E\xB5 x", "? x"},      // a character outside the BMP
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        const CodePage cp(c.page);
        EXPECT_EQ(cp.FromUtf8(c.utf8), c.bytes);
        EXPECT_FALSE(cp.CanHold(c.utf8));
    }
}

TEST(CodePage, InvalidUtf8GivesOneQuestionMarkPerBadByte)
{
    const struct {
        std::string utf8;
        std::string bytes;
    } cases[] = {
        {"a\xFF"
         "b",
         "a?b"},
        {"\xC3", "?"},                  // cut off at the end
        {"\xE2\x82", "??"},             // cut off after two of three
        {"\xC0\xAF", "??"},             // overlong '/'
        {"\xED\xA0\x80", "???"},        // a surrogate
        {"\x80\x80\xC3\xA9", "??\xE9"}, // stray continuation bytes, then é
        {std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    const CodePage cp(1252);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.utf8));
        EXPECT_EQ(cp.FromUtf8(c.utf8), c.bytes);
    }
    EXPECT_FALSE(cp.CanHold("a\xFF"));
}

// Every character UTF-8 writes in two bytes (Latin, Greek, Cyrillic ...),
// amid ASCII, comes back as the page's first byte for it, or '?'.
TEST(CodePage, EveryTwoByteCharacterMapsToItsFirstByteOrQuestionMark)
{
    for (const int page : {1252, 1250, 1251, 437, 850, 28591, 28595}) {
        SCOPED_TRACE(page);
        const CodePage cp(page);
        std::map<std::string, char> byteOf;
        for (int byte = 255; byte >= 0; --byte)
            byteOf[cp.ToUtf8(std::string(1, static_cast<char>(byte)))] = static_cast<char>(byte);
        for (char32_t point = 0x80; point < 0x800; ++point) {
            const std::string utf8{static_cast<char>(0xC0 | (point >> 6)), static_cast<char>(0x80 | (point & 0x3F))};
            const auto found = byteOf.find(utf8);
            const std::string expected = "a" + std::string(1, found == byteOf.end() ? '?' : found->second) + "z";
            ASSERT_EQ(cp.FromUtf8("a" + utf8 + "z"), expected) << std::hex << static_cast<unsigned>(point);
            ASSERT_EQ(cp.CanHold(utf8), found != byteOf.end()) << std::hex << static_cast<unsigned>(point);
        }
    }
}

TEST(CodePage, UnknownPageActsAsWindows1252)
{
    const CodePage cp(99999);
    EXPECT_FALSE(cp.IsKnown());
    EXPECT_EQ(cp.Number(), 99999);
    EXPECT_EQ(cp.ToUtf8("\x80\xE9"), "\xE2\x82\xAC\xC3\xA9");
}

TEST(CodePage, MultiBytePageIsNotTakenForASingleBytePage)
{
    // Shift-JIS lead bytes have no meaning on their own; this class cannot serve it.
    EXPECT_FALSE(CodePage(932).IsKnown());
}

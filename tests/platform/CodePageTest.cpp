#include "platform/CodePage.h"
#include "platform/Utf8Decode.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>
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
        EXPECT_TRUE(cp.IsUsable());
        EXPECT_EQ(cp.ToUtf8(m.bytes), m.utf8);
        EXPECT_EQ(cp.FromUtf8(m.utf8), m.bytes);
        EXPECT_TRUE(cp.CanHold(m.utf8));
    }
}

// Every page the machine may be set to, with the ISO 8859 pages that iconv
// has (there never was an ISO-8859-12, so 28602 is missing).
std::vector<int> SupportedPages()
{
    std::vector<int> pages = {1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 437, 850};
    for (int page = 28591; page <= 28605; ++page)
        if (page != 28602) pages.push_back(page);
    return pages;
}

TEST(CodePage, EveryByteRoundTripsOnEverySupportedPage)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += static_cast<char>(byte);
    for (const int page : SupportedPages()) {
        SCOPED_TRACE(page);
        const CodePage cp(page);
        ASSERT_TRUE(cp.IsUsable());
        const std::string utf8 = cp.ToUtf8(all);
        EXPECT_EQ(utf8.find("\xEF\xBF\xBD"), std::string::npos) << "a byte became U+FFFD";
        EXPECT_EQ(cp.FirstUnholdable(utf8), std::nullopt);
        EXPECT_EQ(cp.FromUtf8(utf8), all);
        // One at a time too, which takes the short path for most bytes.
        std::set<std::string> distinct;
        for (int byte = 0; byte < 256; ++byte) {
            const std::string one(1, static_cast<char>(byte));
            const std::string form = cp.ToUtf8(one);
            distinct.insert(form);
            ASSERT_EQ(cp.FromUtf8("a" + form + "z"), "a" + one + "z") << "byte " << byte;
        }
        EXPECT_EQ(distinct.size(), 256u);
    }
}

// A byte the page leaves undefined stands for U+0080..U+009F where it lies
// there, else for U+F700 + byte; the page's own characters are not touched.
TEST(CodePage, UndefinedBytesStandForCodePointsOfTheirOwn)
{
    const struct {
        int page;
        unsigned char byte;
        const char* utf8;
    } cases[] = {
        {1252, 0x81, "\xC2\x81"},      {1252, 0x8D, "\xC2\x8D"},      {1252, 0x8F, "\xC2\x8F"},
        {1252, 0x90, "\xC2\x90"},      {1252, 0x9D, "\xC2\x9D"},      {1251, 0x98, "\xC2\x98"},
        {1253, 0xAA, "\xEF\x9E\xAA"},  {1253, 0xFF, "\xEF\x9F\xBF"},  {1255, 0xFF, "\xEF\x9F\xBF"},
        {28593, 0xA5, "\xEF\x9E\xA5"}, {1252, 0x80, "\xE2\x82\xAC"}, // € is the page's own
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.page) + " byte " + std::to_string(c.byte));
        const CodePage cp(c.page);
        const std::string one(1, static_cast<char>(c.byte));
        EXPECT_EQ(cp.ToUtf8("a" + one + "z"), std::string("a") + c.utf8 + "z");
        EXPECT_EQ(cp.FromUtf8(c.utf8), one);
        EXPECT_EQ(cp.FirstUnholdable(c.utf8), std::nullopt);
    }
    // U+FFFD itself is no character of cp1252.
    EXPECT_EQ(CodePage(1252).FirstUnholdable("\xEF\xBF\xBD"), char32_t{0xFFFD});
}

TEST(CodePage, CharacterThePageCannotHoldBecomesQuestionMark)
{
    struct Case {
        int page;
        const char* utf8;
        const char* bytes;
        char32_t first;
    } const cases[] = {
        {1252, "\xD0\x96", "?", 0x416},               // Ж
        {1251, "\xC3\xA9t\xC3\xA9", "?t?", 0xE9},     // été
        {1250, "\xC5\x81\xC3\xB3" "d\xC5\xBA \xE4\xB8\xAD", "\xA3\xF3" "d\x9F ?", 0x4E2D}, // Łódź 中
        {1252, "\xC5\x81\xC3\xB3" "d\xC5\xBA", "?\xF3" "d?", 0x141},  // Łódź
        {437,
         "\xE2\x82\xAC"
         "5",
         "?5", 0x20AC},                                   // €5
        {1252, "\xE6\x97\xA5\xE6\x9C\xAC", "??", 0x65E5}, // 日本
        {1252, "\xF0\x9F\x8E\xB5 x", "? x", 0x1F3B5},      // a character outside the BMP
        {1252, "\xEF\x9F\x81", "?", 0xF7C1},            // a stand-in of another page's undefined byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        const CodePage cp(c.page);
        EXPECT_EQ(cp.FromUtf8(c.utf8), c.bytes);
        EXPECT_FALSE(cp.CanHold(c.utf8));
        EXPECT_EQ(cp.FirstUnholdable(c.utf8), c.first);
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
    EXPECT_EQ(cp.FirstUnholdable("a\xFF"), platform::kInvalidUtf8Byte);
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
            const std::string expected{'a', found == byteOf.end() ? '?' : found->second, 'z'};
            ASSERT_EQ(cp.FromUtf8("a" + utf8 + "z"), expected) << std::hex << static_cast<unsigned>(point);
            ASSERT_EQ(cp.CanHold(utf8), found != byteOf.end()) << std::hex << static_cast<unsigned>(point);
        }
    }
}

TEST(CodePage, PagesTheMachineCannotUseAreNamedAndActAs1252)
{
    using platform::CodePageFitness;
    const struct {
        int page;
        CodePageFitness fitness;
    } cases[] = {
        {99999, CodePageFitness::Unknown},     {28602, CodePageFitness::Unknown},
        {0, CodePageFitness::Unknown},         {-5, CodePageFitness::Unknown},
        {65001, CodePageFitness::Unknown},     {932, CodePageFitness::MultiByte},
        {936, CodePageFitness::MultiByte},     {949, CodePageFitness::MultiByte},
        {950, CodePageFitness::MultiByte},     {500, CodePageFitness::ChangesAscii},
        {1252, CodePageFitness::Usable},       {28601, CodePageFitness::Usable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        const CodePage cp(c.page);
        EXPECT_EQ(cp.Fitness(), c.fitness);
        EXPECT_EQ(cp.IsUsable(), c.fitness == CodePageFitness::Usable);
        EXPECT_EQ(cp.Number(), c.page);
        // Whoever ignores the refusal still gets sane ASCII, never EBCDIC.
        if (c.fitness != CodePageFitness::Usable) {
            EXPECT_EQ(cp.ToUtf8("a/\x80\xE9"), "a/\xE2\x82\xAC\xC3\xA9");
        }
    }
}

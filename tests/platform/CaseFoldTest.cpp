#include "platform/CaseFold.h"
#include "platform/Utf8Decode.h"

#include <gtest/gtest.h>

using platform::AppendFolded;
using platform::EncodeUtf8;
using platform::FoldCase;
using platform::FoldedCodePoints;
using platform::FoldsTo;
using platform::kInvalidUtf8Byte;

// Pairs from Unicode's CaseFolding.txt (status C and S); the last ones have
// no simple folding and stay.
TEST(CaseFold, CodePointsFoldAsUnicodeSimpleFoldingSays)
{
    const struct {
        char32_t from, to;
    } cases[] = {
        {U'A', U'a'},       {U'z', U'z'},       {U'_', U'_'},       {U'\u00C4', U'\u00E4'}, // Ä
        {U'\u00DF', U'\u00DF'},                                                           // ß stays one letter
        {U'\u1E9E', U'\u00DF'},                                                           // ẞ
        {U'\u03A3', U'\u03C3'}, {U'\u03C2', U'\u03C3'}, {U'\u03C3', U'\u03C3'},           // Σ ς σ
        {U'\u0416', U'\u0436'},                                                           // Ж
        {U'\u212A', U'k'},      {U'\u017F', U's'},      {U'\u2126', U'\u03C9'},           // Kelvin, long s, Ohm
        {U'\u00B5', U'\u03BC'}, {U'\u01C5', U'\u01C6'}, {U'\u03D0', U'\u03B2'},           // µ, Dž, ϐ
        {U'\u0345', U'\u03B9'},                                                           // combining ypogegrammeni
        {U'\U00010400', U'\U00010428'},                                                   // Deseret
        {U'\uAB70', U'\u13A0'}, {U'\u13F8', U'\u13F0'}, {U'\u13A0', U'\u13A0'},           // Cherokee folds up
        {U'\u0130', U'\u0130'}, {U'\u0131', U'\u0131'},                                   // Turkic only: stay
        {U'\u65E5', U'\u65E5'}, {U'\U0001F3B5', U'\U0001F3B5'},                           // 日, 🎵
        {platform::kInvalidUtf8Byte + 0xC9, platform::kInvalidUtf8Byte + 0xC9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.from));
        EXPECT_EQ(static_cast<unsigned>(FoldCase(c.from)), static_cast<unsigned>(c.to));
    }
}

TEST(CaseFold, NamesFoldCharacterByCharacterAndKeepInvalidBytes)
{
    const struct {
        const char* name;
        const char* folded;
    } cases[] = {
        {"Track 01.MP3", "track 01.mp3"},
        {"\xC3\x84rger.mp3", "\xC3\xA4rger.mp3"},                                  // Ärger
        {"\xCE\xA3\xCE\x99\xCE\xA3\xCE\xA5\xCE\xA6\xCE\x9F\xCE\xA3",              // ΣΙΣΥΦΟΣ
         "\xCF\x83\xCE\xB9\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x83"},              // σισυφοσ
        {"\xCF\x83\xCE\xB9\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x82",              // σισυφος
         "\xCF\x83\xCE\xB9\xCF\x83\xCF\x85\xCF\x86\xCE\xBF\xCF\x83"},
        {"CAF\xC9.mp3", "caf\xC9.mp3"},                                             // Latin-1 byte: itself
        {"A\xFF\xCE\xA9\xE2\x82", "a\xFF\xCF\x89\xE2\x82"},                         // AÿΩ and a cut-off sequence
        {"\xE2\x84\xAA", "k"},                                                      // Kelvin sign: shorter
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FoldCase(c.name), c.folded);
        EXPECT_TRUE(FoldsTo(c.name, c.folded));
    }
    EXPECT_FALSE(FoldsTo("b.mp3", "a.mp3"));
    EXPECT_FALSE(FoldsTo("a.mp", "a.mp3"));
    EXPECT_TRUE(FoldsTo("\xC5\xBF.MP3", "s.mp3")); // ſ.MP3: a name beyond ASCII can fold to an ASCII one
}

TEST(CaseFold, UnlikeInvalidBytesStayUnlikeAsCodePoints)
{
    const std::u32string a = FoldedCodePoints("x\xE9"), b = FoldedCodePoints("X\xC9");
    ASSERT_EQ(a.size(), 2u);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(a[0], b[0]);
    EXPECT_NE(a[1], b[1]);
    EXPECT_EQ(FoldedCodePoints("\xC3\x84\xCE\xA9"), U"\u00E4\u03C9");
}

namespace {

// The fold as FoldedCodePoints has it, character by character: each code
// point in UTF-8, each invalid byte as itself.
std::string FoldOfEachCharacter(std::string_view utf8)
{
    std::string folded;
    for (const char32_t point : FoldedCodePoints(utf8)) {
        if (point >= kInvalidUtf8Byte)
            folded += static_cast<char>(point - kInvalidUtf8Byte);
        else
            folded += EncodeUtf8(point);
    }
    return folded;
}

// ASCII is folded without the tables; these texts put it against every
// other kind of character, at the start, the end and in between, with
// folds shorter and longer than their characters.
TEST(CaseFold, AsciiBesideOtherCharactersFoldsAsEachCharacterAlone)
{
    const std::string texts[] = {
        "A",
        "\xC3\x84",
        "A\xC3\x84Z",
        std::string("\xC3\x84") + "AZ\xC3\x96",
        "@[`{AZaz09 .-_~\x7F",
        std::string("N\0L", 3),
        std::string("\xE2\x84\xAA") + "K\xE2\x84\xAA", // Kelvin sign: a shorter fold
        "X\xC8\xBAY",                                  // U+023A: a longer fold
        std::string("\xFF") + "A\x80" + "B\xE2\x82",   // invalid bytes, a cut-off sequence
        "\xCE\xA3\xCE\xA3S\xCF\x82s",
        "\xF0\x90\x90\x80Q\xF0\x9F\x8E\xB5",
        "",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(FoldCase(text), FoldOfEachCharacter(text));
        std::string folded = "Kept";
        AppendFolded(folded, text);
        EXPECT_EQ(folded, "Kept" + FoldOfEachCharacter(text));
    }
}

} // namespace

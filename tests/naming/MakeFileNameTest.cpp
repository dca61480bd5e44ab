#include "naming/MakeFileName.h"

#include "TempMachine.h"
#include "tag/Id3v1Tag.h"

#include <gtest/gtest.h>

namespace {

struct NameCase {
    const char* pattern;
    const char* artist;
    const char* title;
    const char* expected;
};

TEST(MakeFileName, WorkedNames)
{
    const NameCase cases[] = {
        {"%1 - %2", "A/B", "Why?", "A-B - Why.mp3"},
        {"%1 - %2", "", "Intro", " - Intro.mp3"},
        {"", "Any", "Any", ".mp3"},
        {"%1.mp3", "Abc", "Any", "Abc.mp3.mp3"},
        // The artist brings in a title placeholder, which the next pass fills.
        {"%1", "x%2", "T", "xT.mp3"},
        {"%10", "A", "T", "A0.mp3"},
        {"%2%2 - %2", "A", "T", "TT - T.mp3"},
        {"  %1 . ", "A", "T", "  A . .mp3"},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.pattern);
        CId3v1Tag tag;
        tag.SetArtist(c.artist);
        tag.SetTitle(c.title);
        EXPECT_EQ(MakeFileName(c.pattern, tag), c.expected);
    }
}

TEST(MakeFileName, MapsTheEightCharactersEverywhere)
{
    const std::pair<const char*, const char*> cases[] = {
        {"a\\b", "a-b.mp3"},
        {"a/b", "a-b.mp3"},
        {"a:b", "a-b.mp3"},
        {"a*b", "axb.mp3"},
        {"a?b", "ab.mp3"},
        {"a<b", "a(b.mp3"},
        {"a>b", "a)b.mp3"},
        {"a|b", "aIb.mp3"},
        // Everything else passes unchanged, the double quote and high bytes included.
        {"a\"b'c;\xE9\x01", "a\"b'c;\xE9\x01.mp3"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        CId3v1Tag tag;
        EXPECT_EQ(MakeFileName(text, tag), expected) << "in the pattern";
        tag.SetComment(text);
        EXPECT_EQ(MakeFileName("%6", tag), expected) << "in a field";
    }
}

TEST(MakeFileName, PlaceholdersAreFilledInAscendingOrderOnce)
{
    CId3v1Tag tag;
    tag.SetArtist("%3");
    tag.SetAlbum("%2"); // %2 has been replaced already when the album comes in
    tag.SetTitle("T");
    EXPECT_EQ(MakeFileName("%1", tag), "%2.mp3");
    tag.SetYear("2001");
    tag.SetGenre("Pop");
    tag.SetComment("c");
    tag.SetAlbum("Alb");
    EXPECT_EQ(MakeFileName("%4 %3 %5 %6", tag), "2001 Alb Pop c.mp3");
}

TEST(MakeFileName, UntaggedAndOutOfTableGenresGiveEmptyValues)
{
    TempMachine machine;
    CId3v1Tag untagged;
    EXPECT_EQ(MakeFileName("%1 - %2 [%5] %3%4%6", untagged), " -  [] .mp3");

    std::string bytes(300, 'a');
    std::string record = "TAG" + std::string(124, ' ');
    for (const auto& [genre, expected] :
         {std::pair<int, const char*>{200, "[].mp3"}, {148, "[].mp3"}, {17, "[Rock].mp3"}}) {
        SCOPED_TRACE(genre);
        machine.WriteFile("a.mp3", bytes + record + static_cast<char>(genre));
        CId3v1Tag tag;
        ASSERT_TRUE(tag.Open(machine.Sys("a.mp3")));
        ASSERT_TRUE(tag.HasTag());
        EXPECT_EQ(MakeFileName("[%5]", tag), expected);
    }
}

TEST(FillPattern, AppendsTheExtensionAndMapsNothing)
{
    const FieldArray<std::string> names = {"Interpret", "Titel", "Album", "Jahr", "Genre", "Kommentar"};
    EXPECT_EQ(FillPattern("%1/%2: %6?", names), "Interpret/Titel: Kommentar?.mp3");
    EXPECT_EQ(FillPattern("%3%4%5", names), "AlbumJahrGenre.mp3");
}

TEST(ReplaceAll, ScansLeftToRightWithoutOverlapOrRescan)
{
    const struct {
        const char* text;
        const char* what;
        const char* with;
        const char* expected;
    } cases[] = {
        {"aaa", "aa", "b", "ba"}, {"a", "a", "aa", "aa"},   {"xyx", "x", "", "y"},
        {"abc", "", "z", "abc"},  {"abc", "d", "z", "abc"}, {"%1%1", "%1", "%1%1", "%1%1%1%1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string text = c.text;
        ReplaceAll(text, c.what, c.with);
        EXPECT_EQ(text, c.expected);
    }
}

} // namespace

namespace {

// Most names are filled in one pass; a '%' in a value or a "%%" in the
// pattern takes the passes placeholder by placeholder, where a value can
// complete a placeholder. Both ways side by side, and the edges between.
TEST(FillPattern, OnePassAndPlaceholderByPlaceholderAgree)
{
    const struct {
        const char* pattern;
        FieldArray<std::string> values;
        const char* expected;
    } cases[] = {
        {"%1 - %2", {"A", "T", "", "", "", ""}, "A - T.mp3"},
        {"%6%5%4%3%2%1", {"1", "2", "3", "4", "5", "6"}, "654321.mp3"},
        {"%0%7%a% %", {"A", "", "", "", "", ""}, "%0%7%a% %.mp3"},
        {"%", {"A", "", "", "", "", ""}, "%.mp3"},
        {"x%1%", {"A", "", "", "", "", ""}, "xA%.mp3"},
        {"%1%2%1", {"", "", "", "", "", ""}, ".mp3"},
        {"%11%22", {"A", "T", "", "", "", ""}, "A1T2.mp3"},
        // A "%%" lets the value after it complete a placeholder.
        {"%%1", {"2Pac", "T", "", "", "", ""}, "TPac.mp3"},
        {"%%1", {"Pac", "T", "", "", "", ""}, "%Pac.mp3"},
        {"%%%1", {"1", "T", "", "", "", ""}, "%%1.mp3"},
        // A value's '%' completes a placeholder with what follows it.
        {"%13", {"a%", "", "Alb", "", "", ""}, "aAlb.mp3"},
        {"%1", {"x%2", "T", "", "", "", ""}, "xT.mp3"},
        {"%3 %1", {"%3", "", "Alb", "", "", ""}, "Alb Alb.mp3"},
        {"%2", {"", "100%", "", "", "", ""}, "100%.mp3"},
        // Without a '%' in the pattern there is nothing to fill.
        {"", {"%2", "T", "", "", "", ""}, ".mp3"},
        {"plain 1", {"%1", "%", "", "", "", ""}, "plain 1.mp3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(FillPattern(c.pattern, c.values), c.expected);
    }
}

} // namespace

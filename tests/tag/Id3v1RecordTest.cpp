#include "tag/Id3v1Record.h"

#include "TagBytes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const CId3v1Record& record)
{
    return std::string(record.Render().begin(), record.Render().end());
}

std::optional<CId3v1Record> ParseText(const std::string& bytes)
{
    return CId3v1Record::Parse(
        std::span<const unsigned char>(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
}

} // namespace

TEST(Id3v1Record, EmptyRecordIsMarkerSpacesAndNoGenre)
{
    const CId3v1Record record;
    EXPECT_EQ(Text(record), "TAG" + std::string(124, ' ') + "\xFF");
    for (Field field : kFields)
        EXPECT_EQ(record.Get(field), "") << FieldName(field);
    EXPECT_EQ(record.Track(), 0);
}

TEST(Id3v1Record, ParseTakesOnly128BytesBeginningWithTag)
{
    const std::string good = tagbytes::MakeRecord({"T", "A", "Al", "1999", "C", 13});
    ASSERT_EQ(good.size(), 128u);
    EXPECT_TRUE(ParseText(good));
    std::string lower = good;
    lower.replace(0, 3, "tag");
    const std::string cases[] = {lower, good.substr(0, 127), good + "x", "", "TAG"};
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        EXPECT_FALSE(ParseText(bytes));
    }
}

// Each field is read from, and written to, its own place and nowhere else.
TEST(Id3v1Record, FieldsSitAtTheirOffsets)
{
    const struct {
        Field field;
        std::size_t offset, width;
    } layout[] = {{Field::Title, 3, 30},
                  {Field::Artist, 33, 30},
                  {Field::Album, 63, 30},
                  {Field::Year, 93, 4},
                  {Field::Comment, 97, 30}};
    for (const auto& [field, offset, width] : layout) {
        SCOPED_TRACE(FieldName(field));
        CId3v1Record record;
        record.Set(field, std::string(40, 'x'));
        std::string expected = "TAG" + std::string(124, ' ') + "\xFF";
        expected.replace(offset, width, std::string(width, 'x'));
        EXPECT_EQ(Text(record), expected);
        EXPECT_EQ(record.Get(field), std::string(width, 'x'));
        const auto parsed = ParseText(expected);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->Get(field), std::string(width, 'x'));
    }
}

TEST(Id3v1Record, ReadRuleStopsAtZeroAndDropsTrailingWhiteSpace)
{
    const std::pair<std::string, std::string> cases[] = {
        {"abc", "abc"},
        {"  abc", "  abc"},
        {"abc\t\r\n ", "abc"},
        {"\xE4\xA0", "\xE4\xA0"}, // bytes of 0x80 and up are text, not space
    };
    for (const char pad : {' ', '\0'})
        for (const auto& [stored, read] : cases) {
            SCOPED_TRACE(stored);
            const auto record = ParseText(tagbytes::MakeRecord({stored, "", "", "", "", 255, pad}));
            ASSERT_TRUE(record);
            EXPECT_EQ(record->Get(Field::Title), read);
        }
    std::string zeroInside = tagbytes::MakeRecord({"abc", "", "", "", "", 255});
    zeroInside.replace(3, 8, std::string("abc\0def", 7) + " ");
    EXPECT_EQ(ParseText(zeroInside)->Get(Field::Title), "abc");
}

TEST(Id3v1Record, RenderGivesBackTheParsedBytes)
{
    std::string bytes = tagbytes::MakeRecord({"T\x01", "A", "Al", "19", "C", 200});
    bytes[125] = '\0';
    bytes[126] = '\x07';
    const auto record = ParseText(bytes);
    ASSERT_TRUE(record);
    EXPECT_EQ(Text(*record), bytes);
    EXPECT_EQ(record->Track(), 7);
    EXPECT_EQ(record->GenreByte(), 200);
    EXPECT_EQ(record->Get(Field::Genre), "");
}

TEST(Id3v1Record, GenreIsSetAndReadByName)
{
    // The window's boxes give exact names; typed text may differ in case or be a number (GenreNumber).
    const std::pair<const char*, int> cases[] = {{"Pop", 13},        {"pop", 13},  {"", 255},    {"Popp", 255},
                                                 {"Synth Pop", 147}, {"200", 200}, {"256", 255}, {"Afro-Punk", 133}};
    for (const auto& [name, number] : cases) {
        SCOPED_TRACE(name);
        CId3v1Record record;
        record.Set(Field::Genre, "Blues");
        record.Set(Field::Genre, name);
        EXPECT_EQ(record.GenreByte(), number);
        EXPECT_EQ(record.Render()[127], number);
    }
}

TEST(Id3v1Record, CommentAndTrackShareTheLastBytes)
{
    struct Case {
        const char* name;
        std::size_t commentLength;
        bool overwritten;
        int track;
    } cases[] = {{"short comment keeps the track", 28, false, 9}, {"long comment takes its place", 29, true, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CId3v1Record record;
        record.SetTrack(9);
        EXPECT_EQ(record.Render()[125], 0);
        EXPECT_EQ(record.Render()[126], 9);
        EXPECT_EQ(record.SetComment(std::string(c.commentLength, 'c')), c.overwritten);
        EXPECT_EQ(record.Track(), c.track);
        EXPECT_EQ(record.Get(Field::Comment), std::string(c.commentLength, 'c'));
    }
    CId3v1Record record;
    record.SetTrack(9);
    record.SetTrack(0);
    EXPECT_EQ(record.Track(), 0);
    EXPECT_EQ(record.Render()[125], 0) << "the ID3v1.1 form stays";
}

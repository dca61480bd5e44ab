#include "table/HexEnvelope.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

const std::string kMagic = "\xA5LZW10\xA5";

std::string Envelope(const std::string& name, const std::string& digits)
{
    return kMagic + name + "\xA5" + digits;
}

// Every path below the machine's base folder, to prove a refused decode wrote nothing anywhere.
std::set<std::string> AllFiles(const std::string& folder)
{
    std::set<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        files.insert(entry.path());
    return files;
}

struct EncodeCase {
    const char* label;
    std::string plain;
    std::string digits;
};

class HexEnvelopeEncode : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(HexEnvelopeEncode, WritesHeaderNameAndUpperCaseDigits)
{
    TempMachine machine;
    machine.WriteFile("dir/plain.txt", GetParam().plain);
    ASSERT_TRUE(CHexEnvelope().Encode(machine.Sys("dir/plain.txt"), machine.Sys("dir/t.qzd")));
    const std::string expected = Envelope("plain.txt", GetParam().digits);
    EXPECT_EQ(machine.ReadFile("dir/t.qzd"), expected);
    EXPECT_EQ(expected.size(), 8 + std::string("plain.txt").size() + 2 * GetParam().plain.size());

    // And back: the plain file reappears under its stored name.
    machine.WriteFile("dir/plain.txt", "stale");
    EXPECT_EQ(CHexEnvelope().Decode(machine.Sys("dir/t.qzd")), machine.Sys("dir/plain.txt"));
    EXPECT_EQ(machine.ReadFile("dir/plain.txt"), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(Bytes, HexEnvelopeEncode,
                         ::testing::Values(EncodeCase{"empty", "", ""}, EncodeCase{"lineFeed", "\x0A", "0A"},
                                           EncodeCase{"ff", "\xFF", "FF"},
                                           EncodeCase{"zero", std::string(1, '\0'), "00"},
                                           EncodeCase{"text", "Ab\r\n", "41620D0A"},
                                           EncodeCase{"nameEnd", "\xA5", "A5"}),
                         [](const auto& info) { return info.param.label; });

TEST(HexEnvelope, RoundTripsEveryByteValue)
{
    TempMachine machine;
    std::string plain;
    for (int i = 0; i < 256; ++i)
        plain += static_cast<char>(255 - i);
    machine.WriteFile("p.bin", plain);
    ASSERT_TRUE(CHexEnvelope().Encode(machine.Sys("p.bin"), machine.Sys("e.qzd")));
    const std::optional<CHexEnvelope::Content> content = CHexEnvelope::Unwrap(machine.ReadFile("e.qzd"));
    ASSERT_TRUE(content);
    EXPECT_EQ(content->storedName, "p.bin");
    EXPECT_EQ(content->plain, plain);
}

TEST(HexEnvelope, EncodeAsStoresTheGivenName)
{
    TempMachine machine;
    machine.WriteFile(".tmp-1", "x");
    ASSERT_TRUE(CHexEnvelope().EncodeAs(machine.Sys(".tmp-1"), "Deutsch.txt", machine.Sys("e.qzd")));
    EXPECT_EQ(machine.ReadFile("e.qzd"), Envelope("Deutsch.txt", "78"));
}

TEST(HexEnvelope, EncodeFailsWithoutSourceOrTargetFolder)
{
    TempMachine machine;
    EXPECT_FALSE(CHexEnvelope().Encode(machine.Sys("missing.txt"), machine.Sys("e.qzd")));
    EXPECT_FALSE(machine.Exists("e.qzd"));
    machine.WriteFile("p.txt", "x");
    EXPECT_FALSE(CHexEnvelope().Encode(machine.Sys("p.txt"), machine.Sys("no/such/e.qzd")));
}

struct DigitCase {
    const char* label;
    std::string digits;
    std::string plain;
};

class HexEnvelopeDigits : public ::testing::TestWithParam<DigitCase> {};

TEST_P(HexEnvelopeDigits, DecodeReadsPiecesAsStrtolDoes)
{
    TempMachine machine;
    machine.WriteFile("e.qzd", Envelope("out.bin", GetParam().digits));
    ASSERT_EQ(CHexEnvelope().Decode(machine.Sys("e.qzd")), machine.Sys("out.bin"));
    EXPECT_EQ(machine.ReadFile("out.bin"), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, HexEnvelopeDigits,
    ::testing::Values(DigitCase{"none", "", ""}, DigitCase{"lowerCase", "0aff", "\x0A\xFF"},
                      DigitCase{"oddLength", "41F", "A\x0F"}, DigitCase{"junkFirst", "G1", std::string(1, '\0')},
                      DigitCase{"junkSecond", "1G", "\x01"}, DigitCase{"spaceThenDigit", " 5", "\x05"},
                      DigitCase{"minusOne", "-1", "\xFF"}, DigitCase{"minusF", "-F", "\xF1"},
                      DigitCase{"plusF", "+F", "\x0F"}, DigitCase{"twoSpaces", "  ", std::string(1, '\0')},
                      DigitCase{"tabThenDigit", "\tA", "\x0A"}, DigitCase{"hexPrefix", "0x", std::string(1, '\0')},
                      DigitCase{"zeroByte", std::string("\0A", 2), std::string(1, '\0')},
                      DigitCase{"nameEndInDigits", "4\xA5", "\x04"}),
    [](const auto& info) { return info.param.label; });

TEST(HexEnvelope, NameEndsAtTheFirstA5AndTheRestIsDigits)
{
    const std::optional<CHexEnvelope::Content> content = CHexEnvelope::Unwrap(CHexEnvelope::Wrap("ab\xA5"
                                                                                                 "4",
                                                                                                 "\x01"));
    ASSERT_TRUE(content);
    EXPECT_EQ(content->storedName, "ab");
    // The digit text is "4", the name end, "01": pieces "4\xA5" and "01".
    EXPECT_EQ(content->plain, std::string("\x04\x01"));
}

TEST(HexEnvelope, DecodeNamesTheFileFromInsideNotFromTheEnvelope)
{
    TempMachine machine;
    machine.WriteFile("dir/renamed.qzd", Envelope("inner.txt", "4142"));
    machine.WriteFile("dir/inner.txt", "old contents");
    EXPECT_EQ(CHexEnvelope().Decode(machine.Sys("dir/renamed.qzd")), machine.Sys("dir/inner.txt"));
    EXPECT_EQ(machine.ReadFile("dir/inner.txt"), "AB");
}

TEST(HexEnvelope, DecodeFailsWithoutNameEndOrFile)
{
    TempMachine machine;
    for (const std::string& bytes : {std::string("\xA5LZW10"), kMagic, std::string("\xA5LZW10\xA5name41")}) {
        SCOPED_TRACE(bytes);
        machine.WriteFile("e.qzd", bytes);
        const auto before = AllFiles(machine.Root());
        EXPECT_EQ(CHexEnvelope().Decode(machine.Sys("e.qzd")), "");
        EXPECT_FALSE(CHexEnvelope().DecodeTo(machine.Sys("e.qzd"), machine.Sys("out.txt")));
        EXPECT_EQ(AllFiles(machine.Root()), before);
    }
    EXPECT_EQ(CHexEnvelope().Decode(machine.Sys("missing.qzd")), "");
}

class HexEnvelopeRefusedName : public ::testing::TestWithParam<std::string> {};

TEST_P(HexEnvelopeRefusedName, WritesNothingAnywhere)
{
    TempMachine machine;
    machine.WriteFile("a/b/e.qzd", Envelope(GetParam(), "4142"));
    machine.WriteFile("a/b/x", "keep");
    const auto before = AllFiles(std::filesystem::path(machine.Root()).parent_path());
    EXPECT_EQ(CHexEnvelope().Decode(machine.Sys("a/b/e.qzd")), "");
    std::string stored = "unchanged";
    EXPECT_FALSE(CHexEnvelope().DecodeTo(machine.Sys("a/b/e.qzd"), machine.Sys("a/b/out"), &stored));
    EXPECT_EQ(stored, "unchanged");
    EXPECT_EQ(AllFiles(std::filesystem::path(machine.Root()).parent_path()), before);
    EXPECT_EQ(machine.ReadFile("a/b/x"), "keep");
}

INSTANTIATE_TEST_SUITE_P(Names, HexEnvelopeRefusedName,
                         ::testing::Values("", ".", "..", "..\\x", "../x", "a/b", "a\\b", "/abs", "\\abs", "C:x",
                                           "C:\\x", "x\ny", std::string("x\0y", 3), "a?b"));

TEST(HexEnvelope, DecodeToWritesTheChosenPathAndReportsTheName)
{
    TempMachine machine;
    machine.WriteFile("e.qzd", Envelope("e.qzd", "4142"));
    std::string stored;
    ASSERT_TRUE(CHexEnvelope().DecodeTo(machine.Sys("e.qzd"), machine.Sys("chosen"), &stored));
    EXPECT_EQ(stored, "e.qzd");
    EXPECT_EQ(machine.ReadFile("chosen"), "AB");
    EXPECT_EQ(machine.ReadFile("e.qzd"), Envelope("e.qzd", "4142"));
}

} // namespace

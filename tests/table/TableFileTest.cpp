#include "table/TableFile.h"

#include "table/HexEnvelope.h"

#include "ChildProcess.h"
#include "TempMachine.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <sys/resource.h>

namespace {

const std::string kSep = "\xA5QZRS\xA5";

// A language-style table: ID width 5, Text width 10.
const std::string kLanguagePlain = "005010\r\n"
                                   "ID" +
                                   kSep + "Text" + kSep +
                                   "\r\n"
                                   "5    Five      \r\n"
                                   " 5   Spaced    \r\n"
                                   "05   Zero      \r\n"
                                   "7      lead  \t\r\n"
                                   "8              \r\n"
                                   "9    Nine      \r\n";

class TableFileTest : public ::testing::Test {
protected:
    // Writes the envelope of plain as lang/t.qzd, storing storedName.
    void Store(const std::string& plain, const std::string& storedName = "t.txt", const std::string& rel = "lang/t.qzd")
    {
        machine.WriteFile(rel, CHexEnvelope::Wrap(storedName, plain));
    }
    std::string Path(const std::string& rel = "lang/t.qzd") const { return machine.Sys(rel); }
    std::vector<std::string> FolderNames(const std::string& rel = "lang") const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(machine.Host(rel)))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempMachine machine;
};

TEST_F(TableFileTest, LoadThenCloseRewritesTheSameEnvelope)
{
    Store(kLanguagePlain, "Deutsch.txt");
    const std::string before = machine.ReadFile("lang/t.qzd");
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    EXPECT_EQ(table.GetLastError(), 0);
    EXPECT_EQ(table.GetRowCount(), 6);
    ASSERT_TRUE(table.Close());
    EXPECT_FALSE(table.IsLoaded());
    EXPECT_EQ(machine.ReadFile("lang/t.qzd"), before);
    // Neither the decoded text nor any temporary is left behind.
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"t.qzd"});
}

TEST_F(TableFileTest, CloseThenLoadWithoutPathReloadsTheSameFile)
{
    Store(kLanguagePlain);
    CTableFile table(Path());
    ASSERT_TRUE(table.Load());
    ASSERT_TRUE(table.Close());
    ASSERT_TRUE(table.Load());
    ASSERT_TRUE(table.FindFirst("ID=9"));
    EXPECT_EQ(table.GetField("Text"), "Nine");
}

TEST_F(TableFileTest, FirstRowIsCurrentAfterLoad)
{
    Store(kLanguagePlain);
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    EXPECT_EQ(table.GetField("Text"), "Five");
}

TEST_F(TableFileTest, FindFirstComparesTheTrimmedFieldExactly)
{
    Store(kLanguagePlain);
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    struct Case {
        std::string condition;
        bool found;
        std::string text; // Text of the row found
    };
    const Case cases[] = {
        {"ID=5", true, "Five"},  {"ID= 5", true, "Spaced"}, {"ID=05", true, "Zero"},     {"ID=6", false, ""},
        {"Text=", true, ""},     {"Text=  lead", true, ""}, {"Text=Nine", true, "Nine"}, {"Text=nine", false, ""},
        {"Nope=", true, "Five"}, {"Nope=x", false, ""},     {"ID=5=", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.condition);
        EXPECT_EQ(table.FindFirst(c.condition), c.found);
        if (c.found && c.condition.rfind("Text=", 0) != 0) {
            EXPECT_EQ(table.GetField("Text"), c.text);
        }
    }
    // Leading spaces stay, trailing white space goes; the blank row is the first empty Text.
    ASSERT_TRUE(table.FindFirst("ID=7"));
    EXPECT_EQ(table.GetField("Text"), "  lead");
    ASSERT_TRUE(table.FindFirst("Text="));
    EXPECT_EQ(table.GetField("ID"), "8");
}

TEST_F(TableFileTest, FailedSearchLeavesTheLastRowOrNone)
{
    Store(kLanguagePlain);
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    EXPECT_FALSE(table.FindFirst("ID=42"));
    EXPECT_EQ(table.GetLastError(), 7);
    EXPECT_EQ(table.GetField("ID"), "9");

    EXPECT_FALSE(table.FindFirst("ID5"));
    EXPECT_EQ(table.GetLastError(), 9);
    EXPECT_EQ(table.GetField("ID"), "");
    EXPECT_EQ(table.GetLastError(), 6);
    EXPECT_FALSE(table.FindFirst(""));
    EXPECT_EQ(table.GetLastError(), 9);
}

TEST_F(TableFileTest, MoveNextStopsAtTheLastRow)
{
    Store(kLanguagePlain);
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    int moves = 0;
    while (table.MoveNext())
        ++moves;
    EXPECT_EQ(moves, 5);
    EXPECT_EQ(table.GetLastError(), 7);
    EXPECT_FALSE(table.MoveNext());
    EXPECT_EQ(table.GetField("Text"), "Nine");
}

TEST_F(TableFileTest, ReasonCodesOfTheUnloadedTable)
{
    CTableFile table;
    EXPECT_FALSE(table.Load());
    EXPECT_EQ(table.GetLastError(), 2);

    const auto code = [&table](auto&& call) {
        call();
        return table.GetLastError();
    };
    EXPECT_EQ(code([&] { EXPECT_FALSE(table.Close()); }), 5);
    EXPECT_EQ(code([&] { EXPECT_FALSE(table.MoveNext()); }), 5);
    EXPECT_EQ(code([&] { EXPECT_FALSE(table.FindFirst("ID=1")); }), 5);
    EXPECT_EQ(code([&] { EXPECT_EQ(table.GetField(0), ""); }), 5);
    EXPECT_EQ(code([&] { EXPECT_EQ(table.GetRowCount(), 0); }), 5);
    EXPECT_EQ(table.GetColumnIndex("ID"), -1);
}

TEST_F(TableFileTest, LoadWhileLoadedFailsAndChangesNothing)
{
    Store(kLanguagePlain);
    Store("003\r\nX" + kSep + "\r\nabc\r\n", "o.txt", "lang/other.qzd");
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    EXPECT_FALSE(table.Load(Path("lang/other.qzd")));
    EXPECT_EQ(table.GetLastError(), 1);
    EXPECT_EQ(table.GetPath(), Path());
    EXPECT_EQ(table.GetRowCount(), 6);
}

TEST_F(TableFileTest, LoadFailuresLeaveTheTableEmpty)
{
    struct Case {
        const char* label;
        std::string envelope;
        int code;
    };
    const Case cases[] = {
        {"emptyPlain", CHexEnvelope::Wrap("t.txt", ""), 4},
        {"widthsOnly", CHexEnvelope::Wrap("t.txt", "005010\r\n"), 4},
        {"noNameEnd", "\xA5LZW10\xA5t.txt", 3},
        {"refusedName", CHexEnvelope::Wrap("..\\t.txt", kLanguagePlain), 3},
        {"emptyName", CHexEnvelope::Wrap("", kLanguagePlain), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.WriteFile("lang/t.qzd", c.envelope);
        CTableFile table;
        EXPECT_FALSE(table.Load(Path()));
        EXPECT_EQ(table.GetLastError(), c.code);
        EXPECT_FALSE(table.IsLoaded());
        EXPECT_EQ(FolderNames(), std::vector<std::string>{"t.qzd"});
        EXPECT_EQ(machine.ReadFile("lang/t.qzd"), c.envelope);
    }
    CTableFile table;
    EXPECT_FALSE(table.Load(Path("lang/missing.qzd")));
    EXPECT_EQ(table.GetLastError(), 3);
}

TEST_F(TableFileTest, TableWithoutRows)
{
    Store("005010\r\nID" + kSep + "Text" + kSep + "\r\n");
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    EXPECT_EQ(table.GetRowCount(), 0);
    EXPECT_EQ(table.GetField(0), "");
    EXPECT_EQ(table.GetLastError(), 6);
    EXPECT_FALSE(table.MoveNext());
    EXPECT_EQ(table.GetLastError(), 6);
    EXPECT_FALSE(table.FindFirst("ID="));
    EXPECT_EQ(table.GetLastError(), 6);
}

TEST_F(TableFileTest, ColumnIndexOutsideTheColumns)
{
    Store(kLanguagePlain);
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    for (const int column : {-1, 2, 1000}) {
        SCOPED_TRACE(column);
        EXPECT_EQ(table.GetField(column), "");
        EXPECT_EQ(table.GetLastError(), 11);
    }
    EXPECT_EQ(table.GetField("Nope"), "");
    EXPECT_EQ(table.GetLastError(), 11);
    EXPECT_EQ(table.GetColumnIndex("Text"), 1);
    EXPECT_EQ(table.GetColumnIndex("text"), -1);
}

// What the reading rules make of a plain text: each row's fields, column by column.
struct ReadCase {
    const char* label;
    std::string plain;
    std::vector<std::vector<std::string>> rows;
};

class TableFileReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TableFileReading, RowsAndFields)
{
    TempMachine machine;
    machine.WriteFile("t.qzd", CHexEnvelope::Wrap("t.txt", GetParam().plain));
    CTableFile table;
    ASSERT_TRUE(table.Load(machine.Sys("t.qzd")));
    ASSERT_EQ(table.GetRowCount(), static_cast<int>(GetParam().rows.size()));
    for (std::size_t row = 0; row < GetParam().rows.size(); ++row) {
        SCOPED_TRACE(row);
        const auto& fields = GetParam().rows[row];
        for (std::size_t column = 0; column < fields.size(); ++column)
            EXPECT_EQ(table.GetField(static_cast<int>(column)), fields[column]);
        EXPECT_EQ(table.GetField(static_cast<int>(fields.size())), "");
        EXPECT_EQ(table.GetLastError(), 11);
        table.MoveNext();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TableFileReading,
    ::testing::Values(
        ReadCase{
            "wellFormed", "002003\r\nA" + kSep + "B" + kSep + "\r\nabcde\r\nx y z\r\n", {{"ab", "cde"}, {"x", "y z"}}},
        ReadCase{"lineFeedOnly", "002003\nA" + kSep + "B" + kSep + "\nabcde\n", {{"ab", "cde"}}},
        ReadCase{"shortRow", "002003\r\nA" + kSep + "B" + kSep + "\r\nabc\r\na\r\n", {{"ab", "c"}, {"a", ""}}},
        // Reads of record width + 1: "abcdef" keeps "abcde", loses "f"; "ghijkl" likewise; then "m".
        ReadCase{"longRowSplits",
                 "002003\r\nA" + kSep + "B" + kSep + "\r\nabcdefghijklm\r\n",
                 {{"ab", "cde"}, {"gh", "ijk"}, {"m", ""}}},
        ReadCase{"emptyLine", "002003\r\nA" + kSep + "B" + kSep + "\r\n\r\nabcde", {{"", ""}, {"ab", "cde"}}},
        ReadCase{"loneCarriageReturnKept", "002003\r\nA" + kSep + "B" + kSep + "\r\nab\rcd\r\n", {{"ab", "\rcd"}}},
        ReadCase{"zeroByteEndsRow",
                 "002003\r\nA" + kSep + "B" + kSep + "\r\nab" + std::string(1, '\0') + "de\r\nxy\r\n",
                 {{"ab", ""}, {"xy", ""}}},
        ReadCase{"paddedWidths", " 2 3\r\nA" + kSep + "B" + kSep + "junk\r\nabcde\r\n", {{"ab", "cde"}}},
        ReadCase{"emptyName", "002003\r\nA" + kSep + kSep + "\r\nabcde\r\n", {{"ab", "cde"}}},
        ReadCase{"nameLineStartsWithSeparator", "002003\r\n" + kSep + "A" + kSep + "\r\nabcde\r\n", {{}}},
        ReadCase{"noSeparator", "002003\r\nAB\r\nabcde\r\n", {{}}},
        // Negative and unreadable widths count as 0: rows of width 3, read in pieces of 4.
        ReadCase{"negativeWidth", "-05003\r\nA" + kSep + "B" + kSep + "\r\nabcdefg\r\n", {{"", "abc"}, {"", "efg"}}},
        // Width 0 everywhere: every single character read is an empty row of its own.
        ReadCase{"zeroWidths", "abc\r\nA" + kSep + "\r\nxy\r\n", {{""}, {""}, {""}}},
        // Widths beyond the names: only named columns can be read.
        ReadCase{"moreWidthsThanNames", "001001001\r\nA" + kSep + "\r\nxyz\r\n", {{"x"}}},
        // Names beyond the widths read as empty fields.
        ReadCase{"moreNamesThanWidths", "002\r\nA" + kSep + "B" + kSep + "\r\nxy\r\n", {{"xy", ""}}},
        ReadCase{
            "binaryBytes", "002002\r\nA" + kSep + "B" + kSep + "\r\n\xFF\xA5\x01\x7F\r\n", {{"\xFF\xA5", "\x01\x7F"}}}),
    [](const auto& info) { return info.param.label; });

TEST(TableFileLongLines, OverlongWidthLineStaysOneLineAcrossRewrites)
{
    TempMachine machine;
    // 1023 characters fill the width buffer; the rest of that line is dropped
    // and never read as the name line, so rewrites do not shift the header.
    const std::string widths = std::string(1020, '0') + "002" + "junk";
    machine.WriteFile("t.qzd", CHexEnvelope::Wrap("t.txt", widths + "\r\nA" + kSep + "\r\nxy\r\n"));
    for (int pass = 0; pass < 3; ++pass) {
        SCOPED_TRACE(pass);
        CTableFile table;
        ASSERT_TRUE(table.Load(machine.Sys("t.qzd")));
        EXPECT_EQ(table.GetColumnIndex("A"), 0);
        EXPECT_EQ(table.GetRowCount(), 1);
        // Column A sits at offset 0 with the first width text "000": its field is empty.
        EXPECT_EQ(table.GetField("A"), "");
        ASSERT_TRUE(table.Close());
    }
}

TEST(TableFileLongLines, HugeNameLineAndRowsStayInBounds)
{
    TempMachine machine;
    const std::string names = std::string(70000, 'n') + kSep;
    machine.WriteFile("t.qzd", CHexEnvelope::Wrap("t.txt", "999\r\n" + names + "\r\n" + std::string(5000, 'r')));
    CTableFile table;
    ASSERT_TRUE(table.Load(machine.Sys("t.qzd")));
    // The first 65535 characters of the name line hold no separator: no names.
    EXPECT_EQ(table.GetField(0), "");
    EXPECT_EQ(table.GetLastError(), 11);
    // The rest of the name line is dropped; the long row comes as rows of at most 1000 characters.
    EXPECT_EQ(table.GetRowCount(), 5);
}

TEST_F(TableFileTest, StoredNameOfTheTableItselfLosesNothing)
{
    Store(kLanguagePlain, "t.qzd");
    const std::string before = machine.ReadFile("lang/t.qzd");
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    EXPECT_EQ(machine.ReadFile("lang/t.qzd"), before);
    ASSERT_TRUE(table.FindFirst("ID=9"));
    ASSERT_TRUE(table.Close());
    EXPECT_EQ(machine.ReadFile("lang/t.qzd"), before);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"t.qzd"});
}

TEST_F(TableFileTest, StoredNameOfAnotherFileLeavesItAlone)
{
    Store(kLanguagePlain, "keep.txt");
    machine.WriteFile("lang/keep.txt", "precious");
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    EXPECT_EQ(machine.ReadFile("lang/keep.txt"), "precious");
    ASSERT_TRUE(table.Close());
    EXPECT_EQ(machine.ReadFile("lang/keep.txt"), "precious");
    EXPECT_EQ(CHexEnvelope::Unwrap(machine.ReadFile("lang/t.qzd"))->storedName, "keep.txt");
    EXPECT_EQ(FolderNames(), (std::vector<std::string>{"keep.txt", "t.qzd"}));
}

TEST_F(TableFileTest, CloseFailureKeepsTheOldFileAndTheTable)
{
    Store(kLanguagePlain);
    const std::string before = machine.ReadFile("lang/t.qzd");
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));

    // A file size limit below the envelope's size makes a write fail half way.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = 200;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool closed = table.Close();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);

    EXPECT_FALSE(closed);
    EXPECT_EQ(table.GetLastError(), 3);
    EXPECT_TRUE(table.IsLoaded());
    EXPECT_EQ(machine.ReadFile("lang/t.qzd"), before);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"t.qzd"});
    // Still loaded, so a later Close can succeed.
    EXPECT_TRUE(table.Close());
    EXPECT_EQ(machine.ReadFile("lang/t.qzd"), before);
}

TEST_F(TableFileTest, CloseFailsWhenTheTableCannotBeReplaced)
{
    Store(kLanguagePlain);
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    std::filesystem::remove(machine.Host("lang/t.qzd"));
    machine.MakeDir("lang/t.qzd/inside");
    EXPECT_FALSE(table.Close());
    EXPECT_EQ(table.GetLastError(), 3);
    EXPECT_TRUE(table.IsLoaded());
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"t.qzd"});
}

TEST_F(TableFileTest, CloseOfAReadOnlyFolderFails)
{
    Store(kLanguagePlain);
    const std::string before = machine.ReadFile("lang/t.qzd");
    CTableFile table;
    ASSERT_TRUE(table.Load(Path()));
    std::filesystem::permissions(machine.Host("lang"), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::remove);
    // Permissions do not bind root: then the close runs as an ordinary user in a child.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        for (const std::string& folder : {std::filesystem::path(machine.Root()).parent_path().string(), machine.Root()})
            std::filesystem::permissions(folder, std::filesystem::perms::others_exec, std::filesystem::perm_options::add);
    }
    const int result = RunInChild([&] {
        if (asRoot && !BecomeNobody()) return 10;
        if (table.Close()) return 11;
        if (table.GetLastError() != 3) return 12;
        return table.IsLoaded() ? 0 : 13;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(machine.ReadFile("lang/t.qzd"), before);
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"t.qzd"});
}

TEST_F(TableFileTest, CreateWritesATableThatLoadsBack)
{
    machine.MakeDir("lang");
    CTableFile table;
    table.Create(Path("lang/Deutsch.qzd"), {"ID", "Text"}, {"005", "010"}, {"65   Interpret ", "66   Titel     "});
    ASSERT_TRUE(table.Close());
    const auto content = CHexEnvelope::Unwrap(machine.ReadFile("lang/Deutsch.qzd"));
    ASSERT_TRUE(content);
    EXPECT_EQ(content->storedName, "Deutsch.txt");
    EXPECT_EQ(content->plain, "005010\r\nID" + kSep + "Text" + kSep + "\r\n65   Interpret \r\n66   Titel     \r\n");
    ASSERT_TRUE(table.Load());
    ASSERT_TRUE(table.FindFirst("ID=66"));
    EXPECT_EQ(table.GetField("Text"), "Titel");
}

// Random envelopes, some of random digits and some of random table-like
// text: each loads or fails cleanly, and a loaded one survives Close and
// Load unchanged (the second write-back equals the first).
TEST(TableFileRobustness, RandomEnvelopes)
{
    TempMachine machine;
    std::mt19937 random(20240611);
    const auto pick = [&random](const std::string& alphabet, std::size_t length) {
        std::string text;
        std::uniform_int_distribution<std::size_t> index(0, alphabet.size() - 1);
        for (std::size_t i = 0; i < length; ++i)
            text += alphabet[index(random)];
        return text;
    };
    std::string anyByte;
    for (int i = 0; i < 256; ++i)
        anyByte += static_cast<char>(i);
    const std::string tableish = "0123456789 -\r\n\r\nabcAB\xA5QZRS\xA5\t";
    std::uniform_int_distribution<std::size_t> length(0, 400);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        std::string envelope;
        if (round % 3 == 0)
            envelope = "\xA5LZW10\xA5" + pick("t\xA5", 2) + pick("0123456789ABCDEFabcdef -+xG\xA5", length(random));
        else
            envelope = CHexEnvelope::Wrap("t.txt", pick(round % 3 == 1 ? tableish : anyByte, length(random)));
        machine.WriteFile("t.qzd", envelope);
        CTableFile table;
        if (!table.Load(machine.Sys("t.qzd"))) {
            EXPECT_TRUE(table.GetLastError() == 3 || table.GetLastError() == 4) << table.GetLastError();
            continue;
        }
        EXPECT_EQ(table.GetLastError(), 0);
        for (int column = -1; column < 4; ++column)
            table.GetField(column);
        table.FindFirst("A=");
        if (!table.IsLoaded()) continue;
        ASSERT_TRUE(table.Close());
        const std::string first = machine.ReadFile("t.qzd");
        ASSERT_TRUE(table.Load());
        ASSERT_TRUE(table.Close());
        EXPECT_EQ(machine.ReadFile("t.qzd"), first);
    }
}

} // namespace

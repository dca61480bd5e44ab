#include "platform/FileFind.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;
using platform::CFileFind;
using platform::MatchesWildcard;

namespace {

std::vector<std::string> FoundNames(const std::string& pattern)
{
    std::vector<std::string> names;
    CFileFind finder;
    bool more = finder.FindFile(pattern);
    while (more) {
        more = finder.FindNextFile();
        names.push_back(finder.GetFileName());
    }
    return names;
}

using Names = std::vector<std::string>;

} // namespace

TEST(Wildcard, WindowsMatchingRules)
{
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        {"*.*", "song.mp3", true},
        {"*.*", "README", true}, // "*.*" takes names without a dot too
        {"*.*", ".", true},
        {"Track.*", "Track", true},
        {"Track.*", "Track7", false},
        {"*.mp3", "X.MP3", true},
        {"*.MP3", "x.mp3", true},
        {"*.mp3", "x.mp3.txt", false},
        {"*.mp3", "mp3", false},
        {"*.mp3", "..", false},
        {"*.qzd", "Deutsch.QZD", true},
        {"?.mp3", "a.mp3", true},
        {"?.mp3", "ab.mp3", false},
        {"?.mp3", ".mp3", false},
        {"a?c", "ac", false},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"*", "", true},
        {"", "a", false},
        {"*\xE9*", "caf\xC9", false}, // bytes that are not UTF-8 stay themselves
        {"*\xE9*", "caf\xE9", true},
        {"*\xC3\xA4*", "B\xC3\x84R.mp3", true},          // ä ~ Ä
        {"*.MP3", "\xC3\x84.mp3", true},                  // Ä.mp3
        {"?.mp3", "\xCE\xA9.mp3", true},                  // '?' takes one character: Ω
        {"??.mp3", "\xCE\xA9.mp3", false},
        {"?.mp3", "\xE9.mp3", true},                       // or one byte that is not UTF-8
        {"\xCF\x83*", "\xCF\x82x", true},                 // σ* ~ ςx
        {"\xCE\xA3*", "\xCF\x82x", true},                 // Σ* ~ ςx
        {"*\xE9*", "caf\xC3\xA9", false},                // a lone byte is no character
        {"*\xA9*", "caf\xC3\xA9", false},                // not even a part of one
        {"*\xC3*", "caf\xC3\xA9", false},
        {"K*", "\xE2\x84\xAA", true},                    // the Kelvin sign folds to k
        {"\xC3\x9F", "ss", false},                        // simple folding: ß is one letter
        {"*.*", "Tr\xC3\xA4umerei.mp3", true},
        {"*.*", "\xC3\xA4\xE9", true},                      // no dot, one byte not UTF-8
        {"*-*", "a\xE2\x80\x93" "b", false},                // the dash '-' is no byte of the en dash
        {"*.?", "x.\xCE\xA9", true},                       // '?' still takes a character, not a byte
        {"*.k", "x.\xE2\x84\xAA", true},                  // and a letter still folds
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.name);
        EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.matches);
    }
}

TEST(Wildcard, ManyStarsOnALongNameFinish)
{
    // Exponential backtracking would never get through this.
    const std::string name(5000, 'a');
    EXPECT_FALSE(MatchesWildcard("*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
    EXPECT_TRUE(MatchesWildcard("*a*a*a*a*a*a*a*a*a*a*a*a*", name));
}

class FileFindTest : public testing::Test {
protected:
    TempMachine m_machine;
};

TEST_F(FileFindTest, EntriesSortedCaseInsensitivelyWithDotsFirstBelowTheRoot)
{
    for (const char* name : {"beta.mp3", "alpha.mp3", "Alpha.mp3", "Gamma.MP3", "delta.txt", "_x.mp3", "Zeta.mp3"})
        m_machine.WriteFile(std::string("Musik/") + name, "x");
    m_machine.MakeDir("Musik/Sub");
    // Folding goes to small letters, so '_' (0x5F) comes before every letter.
    EXPECT_EQ(FoundNames("C:\\Musik\\*.mp3"),
              (Names{"_x.mp3", "Alpha.mp3", "alpha.mp3", "beta.mp3", "Gamma.MP3", "Zeta.mp3"}));
    EXPECT_EQ(FoundNames("C:\\Musik\\*.*"), (Names{".", "..", "_x.mp3", "Alpha.mp3", "alpha.mp3", "beta.mp3",
                                                   "delta.txt", "Gamma.MP3", "Sub", "Zeta.mp3"}));
    // A drive's root has no dot entries.
    EXPECT_EQ(FoundNames("C:\\*.*"), (Names{"Musik"}));
    EXPECT_EQ(FoundNames("\\*"), (Names{"Musik"}));
}

TEST_F(FileFindTest, FindNextFileSaysWhetherMoreFollow)
{
    m_machine.WriteFile("d/a.mp3", "12345");
    m_machine.WriteFile("d/b.mp3", "");
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile("C:\\d\\*.mp3"));
    EXPECT_TRUE(finder.FindNextFile());
    EXPECT_EQ(finder.GetFileName(), "a.mp3");
    EXPECT_EQ(finder.GetFilePath(), "C:\\d\\a.mp3");
    EXPECT_EQ(finder.GetRoot(), "C:\\d");
    EXPECT_EQ(finder.GetLength(), 5u);
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ(finder.GetFileName(), "b.mp3");
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ(finder.GetFileName(), "b.mp3");
}

TEST_F(FileFindTest, FolderKindsAndLengths)
{
    m_machine.MakeDir("d/real");
    m_machine.WriteFile("d/file.mp3", std::string(1000, 'x'));
    fs::create_directory_symlink(m_machine.Host("d/real"), m_machine.Host("d/link"));
    fs::create_symlink(m_machine.Host("d/nowhere"), m_machine.Host("d/dangling"));
    fs::create_symlink(m_machine.Host("d/file.mp3"), m_machine.Host("d/filelink.mp3"));
    ASSERT_EQ(mkfifo(m_machine.Host("d/pipe").c_str(), 0600), 0);
    const struct {
        const char* name;
        bool directory;
        bool dots;
        std::uint64_t length;
    } expected[] = {
        {".", true, true, 0},
        {"..", true, true, 0},
        {"dangling", false, false, 0},
        {"file.mp3", false, false, 1000},
        {"filelink.mp3", false, false, 1000},
        {"link", true, false, 0},
        {"pipe", false, false, 0},
        {"real", true, false, 0},
    };
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile("C:\\d\\*.*"));
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        finder.FindNextFile();
        EXPECT_EQ(finder.GetFileName(), e.name);
        EXPECT_EQ(finder.IsDirectory(), e.directory);
        EXPECT_EQ(finder.IsDots(), e.dots);
        EXPECT_EQ(finder.GetLength(), e.length);
    }
}

TEST_F(FileFindTest, LengthsOfNamesTheCodePageChangesAndOfTheDriveRoot)
{
    m_machine.WriteFile("d/\xD0\x96.mp3", "12345");    // Ж: no code page of the West holds it
    m_machine.WriteFile("d/M\xC3\xBCller.mp3", "123"); // Müller
    m_machine.WriteFile("top.mp3", "1234567");
    const struct {
        const char* pattern;
        std::vector<std::pair<std::string, std::uint64_t>> entries;
    } cases[] = {
        {"C:\\d\\*.mp3", {{"M\xC3\xBCller.mp3", 3}, {"\xD0\x96.mp3", 5}}},
        {"C:\\*.mp3", {{"top.mp3", 7}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        CFileFind finder;
        bool more = finder.FindFile(c.pattern);
        for (const auto& [name, length] : c.entries) {
            ASSERT_TRUE(more);
            more = finder.FindNextFile();
            EXPECT_EQ(finder.GetFileName(), name);
            EXPECT_EQ(finder.GetLength(), length);
        }
        EXPECT_FALSE(more);
    }
}

TEST_F(FileFindTest, EqualFoldedNamesAreOrderedByTheirFirstDifferentByte)
{
    for (const char* name : {"ab", "aB", "Ab", "AB", "abc", "a", "B", "b_"})
        m_machine.WriteFile(std::string("d/") + name, "x");
    EXPECT_EQ(FoundNames("C:\\d\\*"), (Names{".", "..", "a", "AB", "Ab", "aB", "ab", "abc", "B", "b_"}));
}

// Names alike in their first eight letters, or in all of them but case,
// and names shorter than eight.
TEST_F(FileFindTest, LongNamesAlikeAtTheStartSortAsShortOnes)
{
    for (const char* name : {"Artist - Song.mp3", "ARTIST - song.mp3", "artist - Song2.mp3", "Artist - ", "artist",
                             "Artist - song.mp3", "Artiste.mp3", "Artist_", "Artist - Song.mp3.bak", "artisT"})
        m_machine.WriteFile(std::string("d/") + name, "x");
    EXPECT_EQ(FoundNames("C:\\d\\*"), (Names{".", "..", "artisT", "artist", "Artist - ", "ARTIST - song.mp3",
                                             "Artist - Song.mp3", "Artist - song.mp3", "Artist - Song.mp3.bak",
                                             "artist - Song2.mp3", "Artist_", "Artiste.mp3"})); // '_' < 'e' once folded
}

// Letters beyond ASCII fold too: names alike but for case stay side by
// side, each pair ordered by its bytes.
TEST_F(FileFindTest, NamesBeyondAsciiSortByTheirFold)
{
    for (const char* name : {"\xC3\x84" "b", "\xC3\xA4" "a", "b", "a", "\xCE\xA3" "b", "\xCF\x83" "a", "\xCF\x82" "c",
                             "\xC3\xA4" "B", "z\xE9", "Z\xE9"})
        m_machine.WriteFile(std::string("d/") + name, "x");
    EXPECT_EQ(FoundNames("C:\\d\\*"), (Names{".", "..", "a", "b", "Z\xE9", "z\xE9", "\xC3\xA4" "a", "\xC3\x84" "b",
                                             "\xC3\xA4" "B", "\xCF\x83" "a", "\xCE\xA3" "b", "\xCF\x82" "c"}));
}

// Names are the host's own bytes whatever the code page: two names never
// become one, and a name that is no UTF-8 is found too.
TEST_F(FileFindTest, NamesAreTheHostsOwnBytes)
{
    m_machine.WriteFile("d/a\\b.mp3", "x");          // a backslash: no system path can name it
    m_machine.WriteFile("d/\xD0\x96.mp3", "x");      // Ж
    m_machine.WriteFile("d/?.mp3", "x");             // what Ж would become in cp1252
    m_machine.WriteFile("d/M\xC3\xBCller.mp3", "x"); // Müller
    m_machine.WriteFile("d/caf\xE9.mp3", "x");       // Latin-1 bytes
    const Names expected{"?.mp3", "caf\xE9.mp3", "M\xC3\xBCller.mp3", "\xD0\x96.mp3"};
    EXPECT_EQ(FoundNames("C:\\d\\*.mp3"), expected);
    m_machine.Reinstall(1251);
    EXPECT_EQ(FoundNames("C:\\d\\*.mp3"), expected);
}

TEST_F(FileFindTest, NothingFoundIsFalse)
{
    m_machine.WriteFile("d/a.txt", "x");
    for (const char* pattern :
         {"C:\\d\\*.mp3", "C:\\missing\\*.*", "C:\\d\\a.txt\\*.*", "Q:\\*.*", "*.*", "C:\\..\\*"}) {
        SCOPED_TRACE(pattern);
        CFileFind finder;
        EXPECT_FALSE(finder.FindFile(pattern));
        EXPECT_FALSE(finder.FindNextFile());
    }
}

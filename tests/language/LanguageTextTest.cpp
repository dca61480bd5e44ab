#include "language/LanguageText.h"

#include "table/HexEnvelope.h"
#include "table/TableFile.h"

#include "ChildProcess.h"
#include "TempMachine.h"

#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <optional>

namespace {

const std::string kSep = "\xA5QZRS\xA5";

std::string LanguagePlain()
{
    return "005010\r\nID" + kSep + "Text" + kSep +
           "\r\n"
           "65   Interpret \r\n"
           "0    Zero      \r\n"
           "07   Seven     \r\n"
           " 8   Eight     \r\n"
           "9      spaced  \r\n"
           "65   Second    \r\n"
           "-1   Minus     \r\n";
}

class LanguageTextTest : public ::testing::Test {
protected:
    void SetUp() override { machine.WriteFile("lang/Deutsch.qzd", CHexEnvelope::Wrap("Deutsch.txt", LanguagePlain())); }

    TempMachine machine;
    CTableFile table;
};

TEST_F(LanguageTextTest, GetTextFindsTheFirstRowOfTheNumber)
{
    ASSERT_TRUE(table.Load(machine.Sys("lang/Deutsch.qzd")));
    struct Case {
        int number;
        std::string text;
    };
    const Case cases[] = {{65, "Interpret"}, {0, "Zero"}, {9, "  spaced"}, {-1, "Minus"}, {7, ""}, {8, ""}, {66, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(GetText(table, c.number), c.text);
    }
}

TEST_F(LanguageTextTest, GetTextOfAnUnloadedTableIsEmpty)
{
    EXPECT_EQ(GetText(table, 65), "");
}

// A hive whose Software\Velmora key holds the values given (nullopt: no such value).
void WriteVelmora(const TempMachine& machine, std::optional<std::string> langPath, std::optional<std::string> language)
{
    const bool written = platform::UpdateHiveFile(machine.HiveFile(), [&](platform::CHive& hive) {
        hive.AddKey("Software\\Velmora");
        if (langPath) hive.Set("Software\\Velmora", "LangPath", *langPath);
        if (language) hive.Set("Software\\Velmora", "Language", *language);
        return true;
    });
    ASSERT_TRUE(written);
}

TEST_F(LanguageTextTest, LoadLanguageReadsBothValuesAndLoads)
{
    WriteVelmora(machine, "C:\\lang", "Deutsch");
    std::string langPath, language;
    ASSERT_TRUE(LoadLanguage(table, langPath, language));
    EXPECT_EQ(langPath, "C:\\lang");
    EXPECT_EQ(language, "Deutsch");
    EXPECT_EQ(table.GetPath(), "C:\\lang\\Deutsch.qzd");
    EXPECT_EQ(GetText(table, 65), "Interpret");
}

TEST_F(LanguageTextTest, LoadLanguageFailsWithoutTheKey)
{
    machine.WriteFile("../hklm.reg", "REGEDIT4\r\n\r\n");
    ASSERT_EQ(machine.ReadFile("../hklm.reg"), "REGEDIT4\r\n\r\n");
    std::string langPath = "old", language = "old";
    EXPECT_FALSE(LoadLanguage(table, langPath, language));
    EXPECT_FALSE(table.IsLoaded());
    EXPECT_EQ(langPath, "old");
}

TEST_F(LanguageTextTest, LoadLanguageBuildsThePathFromTheValuesAsTheyAre)
{
    struct Case {
        const char* label;
        std::optional<std::string> langPath, language;
        std::string path; // the table's path afterwards
        bool loads;
    };
    const std::string tooLong(5000, 'x'); // a path gets the host's limit of 4096 bytes
    const Case cases[] = {
        {"trailingBackslash", "C:\\lang\\", "Deutsch", "C:\\lang\\\\Deutsch.qzd", true},
        {"noLanguage", "C:\\lang", std::nullopt, "C:\\lang\\.qzd", false},
        {"noLangPath", std::nullopt, "Deutsch", "\\Deutsch.qzd", false},
        {"tooLongCountsAsEmpty", tooLong, "Deutsch", "\\Deutsch.qzd", false},
        {"longestThatFits", "C:\\lang", std::string(259, 'y'), "C:\\lang\\" + std::string(259, 'y') + ".qzd", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        WriteVelmora(machine, c.langPath, c.language);
        CTableFile fresh;
        std::string langPath, language;
        EXPECT_EQ(LoadLanguage(fresh, langPath, language), c.loads);
        EXPECT_EQ(fresh.GetPath(), c.path);
        EXPECT_EQ(langPath + "\\" + language + ".qzd", c.path);
        // Each case starts from a hive without the values.
        std::filesystem::remove(machine.HiveFile());
    }
}

// The system's file names ignore case: where no file has the stored name
// exactly, the language file whose name differs only in case is loaded; an
// exact name always comes first.
TEST_F(LanguageTextTest, LoadLanguageFindsTheFileIgnoringCaseOnlyWhereTheExactNameIsMissing)
{
    machine.WriteFile("lang/english.QZD", CHexEnvelope::Wrap("English.txt", "005010\r\nID" + kSep + "Text" + kSep +
                                                                                "\r\n65   Artist    \r\n"));
    const struct {
        const char* stored;
        std::string path;
        std::string text;
    } cases[] = {
        {"Deutsch", "C:\\lang\\Deutsch.qzd", "Interpret"}, {"deutsch", "C:\\lang\\Deutsch.qzd", "Interpret"},
        {"DEUTSCH", "C:\\lang\\Deutsch.qzd", "Interpret"}, {"English", "C:\\lang\\english.QZD", "Artist"},
        {"Englisch", "C:\\lang\\Englisch.qzd", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        WriteVelmora(machine, "C:\\lang", c.stored);
        CTableFile fresh;
        std::string langPath, language;
        EXPECT_EQ(LoadLanguage(fresh, langPath, language), !c.text.empty());
        EXPECT_EQ(fresh.GetPath(), c.path);
        EXPECT_EQ(GetText(fresh, 65), c.text);
    }
    // With both spellings there, the stored one is loaded.
    machine.WriteFile("lang/deutsch.qzd", CHexEnvelope::Wrap("deutsch.txt", "005010\r\nID" + kSep + "Text" + kSep +
                                                                                "\r\n65   klein     \r\n"));
    for (const auto& [stored, text] : {std::pair{"deutsch", "klein"}, std::pair{"Deutsch", "Interpret"}}) {
        SCOPED_TRACE(stored);
        WriteVelmora(machine, "C:\\lang", stored);
        CTableFile fresh;
        std::string langPath, language;
        ASSERT_TRUE(LoadLanguage(fresh, langPath, language));
        EXPECT_EQ(language, stored);
        EXPECT_EQ(GetText(fresh, 65), text);
    }
}

// Hostile language files: each load ends at once with a yes or no, and
// nothing is changed by the load.
TEST_F(LanguageTextTest, HostileLanguageFilesLoadOrFailWithoutHarm)
{
    const std::string whole = CHexEnvelope::Wrap("Deutsch.txt", LanguagePlain());
    const struct {
        const char* label;
        std::string bytes;
        bool loads;
    } cases[] = {
        {"truncatedInTheHeader", whole.substr(0, 5), false},
        {"truncatedInTheText", whole.substr(0, whole.size() / 2), true},
        {"truncatedMidByte", whole.substr(0, whole.size() - 1), true},
        {"empty", "", false},
        {"binary", std::string("\177ELF\x00\xFF\xFE", 7), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        machine.WriteFile("lang/Deutsch.qzd", c.bytes);
        CTableFile fresh;
        const bool loaded = fresh.Load(machine.Sys("lang/Deutsch.qzd"));
        if (loaded) {
            EXPECT_EQ(GetText(fresh, 65), c.loads ? "Interpret" : "");
        }
        EXPECT_EQ(machine.ReadFile("lang/Deutsch.qzd"), c.bytes);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(machine.Host("lang")), {}), 1);
    }
    // No regular file at all: a FIFO nobody writes to, an endless device.
    std::filesystem::remove(machine.Host("lang/Deutsch.qzd"));
    ASSERT_EQ(mkfifo(machine.Host("lang/Deutsch.qzd").c_str(), 0600), 0);
    EXPECT_FALSE(CTableFile().Load(machine.Sys("lang/Deutsch.qzd")));
    std::filesystem::remove(machine.Host("lang/Deutsch.qzd"));
    std::filesystem::create_symlink("/dev/zero", machine.Host("lang/Deutsch.qzd"));
    EXPECT_FALSE(CTableFile().Load(machine.Sys("lang/Deutsch.qzd")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(machine.Host("lang")), {}), 1);
}

// One 50 MB line in a language file loads, and the texts before it are
// there (a reader quadratic in the line's length would not finish within the
// test run's time limit).
TEST_F(LanguageTextTest, AHugeLineLoads)
{
    const std::string huge = std::string(50u << 20, 'x');
    machine.WriteFile("lang/Deutsch.qzd", CHexEnvelope::Wrap("Deutsch.txt", LanguagePlain() + huge + "\r\n"));
    CTableFile fresh;
    ASSERT_TRUE(fresh.Load(machine.Sys("lang/Deutsch.qzd")));
    EXPECT_EQ(GetText(fresh, 65), "Interpret");
}

// The window loads the language and closes it again at start, which writes
// the table back: a language file that is a link stays one, and the file it
// names gets the table.
TEST_F(LanguageTextTest, ALanguageFileThatIsALinkStaysOne)
{
    namespace fs = std::filesystem;
    const std::string envelope = machine.ReadFile("lang/Deutsch.qzd");
    machine.MakeDir("shared");
    fs::rename(machine.Host("lang/Deutsch.qzd"), machine.Host("shared/Deutsch.qzd"));
    fs::create_symlink("../shared/Deutsch.qzd", machine.Host("lang/Deutsch.qzd"));
    WriteVelmora(machine, "C:\\lang", "Deutsch");
    std::string langPath, language;
    ASSERT_TRUE(LoadLanguage(table, langPath, language));
    EXPECT_EQ(GetText(table, 65), "Interpret");
    ASSERT_TRUE(table.Close());
    EXPECT_TRUE(fs::is_symlink(machine.Host("lang/Deutsch.qzd")));
    EXPECT_EQ(machine.ReadFile("shared/Deutsch.qzd"), envelope);
    EXPECT_EQ(std::distance(fs::directory_iterator(machine.Host("lang")), {}), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(machine.Host("shared")), {}), 1);
}

// Language files may live read-only in the installed share folder: they load
// all the same, and the write back at close leaves them as they are.
TEST_F(LanguageTextTest, ALanguageFolderThatIsReadOnlyStillLoads)
{
    namespace fs = std::filesystem;
    const std::string envelope = machine.ReadFile("lang/Deutsch.qzd");
    WriteVelmora(machine, "C:\\lang", "Deutsch");
    fs::permissions(machine.Host("lang"), fs::perms::owner_write, fs::perm_options::remove);
    // Permissions do not bind root: then the load runs as an ordinary user in a child.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        for (fs::path folder = machine.Host("lang"); folder != folder.parent_path(); folder = folder.parent_path())
            fs::permissions(folder, fs::perms::others_exec | fs::perms::others_read, fs::perm_options::add);
        fs::permissions(machine.HiveFile(), fs::perms::others_read, fs::perm_options::add);
        fs::permissions(machine.Host("lang/Deutsch.qzd"), fs::perms::others_read, fs::perm_options::add);
    }
    const int result = RunInChild([&] {
        if (asRoot && !BecomeNobody()) return 10;
        CTableFile fresh;
        std::string langPath, language;
        if (!LoadLanguage(fresh, langPath, language)) return 11;
        if (GetText(fresh, 65) != "Interpret") return 12;
        fresh.Close();
        return 0;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(machine.ReadFile("lang/Deutsch.qzd"), envelope);
    EXPECT_EQ(std::distance(fs::directory_iterator(machine.Host("lang")), {}), 1);
}

} // namespace

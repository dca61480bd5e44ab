#include "language/LanguageText.h"

#include "table/HexEnvelope.h"
#include "table/TableFile.h"

#include "TempMachine.h"

#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <filesystem>
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

} // namespace

#include "settings/StoredSettings.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>

namespace {

using settings::LanguageSettings;
using settings::ProgramSettings;

constexpr char kProgramSection[] = "[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n";
constexpr char kVelmoraSection[] = "[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n";

// One hive value line, REGEDIT4-escaped.
std::string ValueLine(const std::string& name, const std::string& data)
{
    std::string escaped;
    for (const char c : data) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
    }
    return "\"" + name + "\"=\"" + escaped + "\"\r\n";
}

class StoredSettingsTest : public ::testing::Test {
protected:
    void WriteRaw(const std::string& text) const
    {
        std::ofstream(machine.HiveFile(), std::ios::binary | std::ios::trunc) << "REGEDIT4\r\n\r\n" << text;
    }
    std::string Hive() const
    {
        std::ifstream in(machine.HiveFile(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    TempMachine machine;
};

TEST_F(StoredSettingsTest, WithoutTheKeysNothingIsReadAndNothingIsWritten)
{
    WriteRaw("");
    EXPECT_EQ(settings::ReadProgramSettings(), std::nullopt);
    EXPECT_EQ(settings::ReadLanguageSettings(), std::nullopt);
    EXPECT_EQ(settings::ReadRenamePattern(), "");
    EXPECT_FALSE(settings::StoreLastPath("C:\\Musik"));
    EXPECT_FALSE(settings::StoreLanguage("English"));
    EXPECT_FALSE(settings::StoreRenameSettings("%2", true));
    // Keys are opened, never created.
    EXPECT_EQ(Hive(), "REGEDIT4\r\n\r\n");
}

TEST_F(StoredSettingsTest, ProgramValuesAreReadWithTheWindowsBuffers)
{
    machine.MakeDir("Musik");
    struct Case {
        const char* label;
        std::string values; // lines below the program key
        ProgramSettings expected;
    };
    const std::string longest(259, 'p'); // with its terminator it fills the 260-byte buffer
    const std::string longPath = "C:\\" + std::string(4000, 'd');
    const Case cases[] = {
        {"allThere",
         ValueLine("Rename", "%1 - %2") + ValueLine("Prompt", "TRUE") + ValueLine("LastPath", "C:\\Musik"),
         {"%1 - %2", true, "C:\\Musik"}},
        {"missingValuesAreEmpty", "", {"", false, ""}},
        {"promptIsExactlyTrue", ValueLine("Prompt", "true"), {"", false, ""}},
        {"promptFalse", ValueLine("Prompt", "FALSE"), {"", false, ""}},
        {"longestPatternFits", ValueLine("Rename", longest), {longest, false, ""}},
        {"tooLongPatternIsEmpty", ValueLine("Rename", longest + "p"), {"", false, ""}},
        {"tooLongPromptIsOff", ValueLine("Prompt", "TRUE" + std::string(300, ' ')), {"", false, ""}},
        {"pathGetsTheHostLimit", ValueLine("LastPath", longPath), {"", false, longPath}},
        {"tooLongPathIsEmpty", ValueLine("LastPath", "C:\\" + std::string(4093, 'd')), {"", false, ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine.WriteHive(c.values);
        const std::optional<ProgramSettings> read = settings::ReadProgramSettings();
        ASSERT_TRUE(read);
        EXPECT_EQ(read->renamePattern, c.expected.renamePattern);
        EXPECT_EQ(read->prompt, c.expected.prompt);
        EXPECT_EQ(read->lastPath, c.expected.lastPath);
        EXPECT_EQ(settings::ReadRenamePattern(), c.expected.renamePattern);
    }
}

TEST_F(StoredSettingsTest, AStoredPathIsResolvedToTheFolderItNamesNow)
{
    // Written by an older version: code-page text after the drive (cp1252 0xFC is u-umlaut).
    machine.MakeDir("M\xC3\xBCsik");
    WriteRaw(std::string(kVelmoraSection) + ValueLine("LangPath", "C:\\M\xFCsik") + ValueLine("Language", "D\xFC") +
             "\r\n" + kProgramSection + ValueLine("LastPath", "C:\\M\xFCsik"));
    const std::optional<ProgramSettings> program = settings::ReadProgramSettings();
    ASSERT_TRUE(program);
    EXPECT_EQ(program->lastPath, "C:\\M\xC3\xBCsik");
    const std::optional<LanguageSettings> language = settings::ReadLanguageSettings();
    ASSERT_TRUE(language);
    EXPECT_EQ(language->langPath, "C:\\M\xC3\xBCsik");
    EXPECT_EQ(language->language, "D\xFC"); // a file name resolved by the loader, with its folder
}

TEST_F(StoredSettingsTest, LanguageValuesAreReadWithTheirBuffers)
{
    const std::string longest(259, 'y');
    struct Case {
        const char* label;
        std::string values;
        LanguageSettings expected;
    };
    const Case cases[] = {
        {"both", ValueLine("LangPath", "C:\\lang") + ValueLine("Language", "Deutsch"), {"C:\\lang", "Deutsch"}},
        {"none", "", {"", ""}},
        {"longestLanguageFits", ValueLine("Language", longest), {"", longest}},
        {"tooLongLanguageIsEmpty", ValueLine("Language", longest + "y"), {"", ""}},
        {"tooLongPathIsEmpty", ValueLine("LangPath", std::string(5000, 'x')), {"", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        WriteRaw(std::string(kVelmoraSection) + c.values);
        const std::optional<LanguageSettings> read = settings::ReadLanguageSettings();
        ASSERT_TRUE(read);
        EXPECT_EQ(read->langPath, c.expected.langPath);
        EXPECT_EQ(read->language, c.expected.language);
    }
}

// The names are the file format: a value written under another name or key is
// lost to every earlier and later version.
TEST_F(StoredSettingsTest, StoredValuesLandUnderTheirKeysAndNames)
{
    machine.WriteHive(ValueLine("Rename", "old") + ValueLine("Prompt", "FALSE"));
    ASSERT_TRUE(settings::StoreRenameSettings("%2 (%1)", true));
    ASSERT_TRUE(settings::StoreLastPath("C:\\Musik\\Rock"));
    ASSERT_TRUE(settings::StoreLanguage("English"));
    const std::string hive = Hive();
    const std::size_t velmora = hive.find(kVelmoraSection);
    const std::size_t program = hive.find(kProgramSection);
    ASSERT_NE(velmora, std::string::npos);
    ASSERT_NE(program, std::string::npos);
    ASSERT_LT(velmora, program);
    const std::string velmoraText = hive.substr(velmora, program - velmora);
    const std::string programText = hive.substr(program);
    EXPECT_NE(velmoraText.find(ValueLine("Language", "English")), std::string::npos) << hive;
    EXPECT_NE(programText.find(ValueLine("Rename", "%2 (%1)")), std::string::npos) << hive;
    EXPECT_NE(programText.find(ValueLine("Prompt", "TRUE")), std::string::npos) << hive;
    EXPECT_NE(programText.find(ValueLine("LastPath", "C:\\Musik\\Rock")), std::string::npos) << hive;
    EXPECT_EQ(programText.find("old"), std::string::npos) << hive;

    ASSERT_TRUE(settings::StoreRenameSettings("%2 (%1)", false));
    EXPECT_NE(Hive().find(ValueLine("Prompt", "FALSE")), std::string::npos);
    const std::optional<ProgramSettings> read = settings::ReadProgramSettings();
    ASSERT_TRUE(read);
    EXPECT_EQ(read->renamePattern, "%2 (%1)");
    EXPECT_FALSE(read->prompt);
}

} // namespace

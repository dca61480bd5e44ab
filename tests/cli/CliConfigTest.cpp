// config: the settings shown and changed through the window's own store
// functions, the code page checked, the drive table written whole.
#include "CliFixture.h"
#include "CliRun.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

class CliConfig : public CliTest {
protected:
    std::string Hive() const
    {
        std::ifstream in(m_machine.HiveFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void AppendToHive(const std::string& lines) const
    {
        std::ofstream(m_machine.HiveFile(), std::ios::binary | std::ios::app) << lines;
    }
    static constexpr const char* kCodePageKey =
        "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\r\n";
};

TEST_F(CliConfig, ShowsTheSettingsTheProgramsUse)
{
    const RunResult shown = RunCli({"config", "--json"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(JsonQuery(shown.out, "(d['rename'], d['prompt'], d['codepage'], d['codepage_problem'], d['drives_stored'])"),
              "('%1 - %2', False, '1252', '', True)");
    EXPECT_EQ(JsonQuery(shown.out, "(d['settings_file'], d['drives'])"),
              "('" + m_machine.HiveFile() + "', [{'letter': 'C:', 'folder': '" + m_machine.Root() + "'}])");
    const RunResult text = RunCli({"config"});
    EXPECT_NE(text.out.find("rename         %1 - %2\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("C:             " + m_machine.Root() + "\n"), std::string::npos) << text.out;
}

TEST_F(CliConfig, SetChangesOneSettingAndTheProgramsUseIt)
{
    const TagBytes tag{"Song", "Band", "", "", "", 17};
    Write("r/a.mp3", MakeMp3(&tag));
    const struct {
        std::vector<std::string> args;
        std::string out;
        std::string hiveLine; // now in the hive
    } cases[] = {
        {{"config", "set", "rename", "%2 by %1"}, "rename set to %2 by %1\n", "\"Rename\"=\"%2 by %1\""},
        {{"config", "set", "prompt", "yes"}, "prompt set to TRUE\n", "\"Prompt\"=\"TRUE\""},
        {{"config", "set", "prompt", "FALSE"}, "prompt set to FALSE\n", "\"Prompt\"=\"FALSE\""},
        {{"config", "set", "language", "Deutsch"}, "language set to Deutsch\n", "\"Language\"=\"Deutsch\""},
        {{"config", "set", "rename", "Caf\xC3\xA9 %2"}, "rename set to Caf\xC3\xA9 %2\n", "\"Rename\"=\"Caf\xE9 %2\""},
        {{"config", "set", "codepage", "1251"}, "codepage set to 1251\n", "\"ACP\"=\"1251\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.out);
        const RunResult result = RunCli(c.args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, c.out);
        EXPECT_NE(Hive().find(c.hiveLine), std::string::npos) << Hive();
    }
    // The stored pattern is the one rename takes (in code page 1251 now: 0xE9 reads as a Cyrillic letter).
    ASSERT_EQ(RunCli({"config", "set", "codepage", "1252"}).status, 0);
    const RunResult renamed = RunCli({"rename", "--dry-run", Host("r/a.mp3")});
    EXPECT_EQ(renamed.out, Host("r/a.mp3") + " -> " + Host("r/Caf\xC3\xA9 Song.mp3") + "\n") << renamed.err;
    // The prompt value is only the prompt's: the pattern stays.
    EXPECT_EQ(JsonQuery(RunCli({"config", "--json"}).out, "(d['rename'], d['prompt'], d['language'])"),
              "('Caf\xC3\xA9 %2', False, 'Deutsch')");
}

TEST_F(CliConfig, RefusesWhatTheProgramsCouldNotUseAndChangesNothing)
{
    const std::string before = Hive();
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"config", "set", "codepage", "65001"}, "codepage: \"65001\" cannot be used: this system knows no such code page"},
        {{"config", "set", "codepage", "500"}, "it does not keep the ASCII characters unchanged"},
        {{"config", "set", "codepage", "932"}, "multi-byte"},
        {{"config", "set", "codepage", "ACP"}, "it is not a code page number"},
        {{"config", "set", "prompt", "maybe"}, "prompt: 'maybe' is not TRUE or FALSE"},
        {{"config", "set", "rename", "\xC5\x81 %1"}, "rename: the text holds a character that code page 1252 cannot hold"},
        {{"config", "set", "language", "../x"}, "language: give the name of a language file"},
        {{"config", "set", "colour", "red"}, "unknown setting 'colour'"},
        {{"config", "set", "M:", Host("nowhere")}, "is not a folder"},
        {{"config", "set", "rename"}, "'config set' needs NAME and VALUE"},
        {{"config", "get", "rename"}, "unknown config action 'get'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const RunResult result = RunCli(c.args);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(Hive(), before);
    }
}

// A refused code page stops every command but config, which repairs it.
TEST_F(CliConfig, RepairsACodePageTheProgramsRefuse)
{
    Write("m/a.mp3", MakeMp3(nullptr));
    AppendToHive(std::string(kCodePageKey) + "\"ACP\"=\"500\"\r\n");
    EXPECT_EQ(RunCli({"list", Host("m")}).status, 2);
    const RunResult shown = RunCli({"config", "--json"});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(JsonQuery(shown.out, "(d['codepage'], 'ASCII' in d['codepage_problem'])"), "('500', True)");
    const RunResult repaired = RunCli({"config", "set", "codepage", "1250"});
    EXPECT_EQ(repaired.status, 0) << repaired.err;
    EXPECT_EQ(RunCli({"list", Host("m")}).status, 0);
}

// Any stored table replaces the defaults: adding a drive stores them too.
TEST_F(CliConfig, AddingADriveWritesTheWholeTable)
{
    m_machine.MakeDir("music");
    const RunResult added = RunCli({"config", "--json", "set", "m:", Host("music/")});
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(JsonQuery(added.out, "(d['name'], d['value'])"), "('M:', '" + Host("music") + "')");
    EXPECT_EQ(JsonQuery(RunCli({"config", "--json"}).out, "[(e['letter'], e['folder']) for e in d['drives']]"),
              "[('C:', '" + m_machine.Root() + "'), ('M:', '" + Host("music") + "')]");

    // Without a stored table, the defaults of the moment are written with the new drive.
    std::ofstream(m_machine.HiveFile(), std::ios::binary | std::ios::trunc)
        << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n\"Rename\"=\"%1\"\r\n";
    const std::string defaults = JsonQuery(RunCli({"config", "--json"}).out, "[e['letter'] for e in d['drives']]");
    ASSERT_EQ(RunCli({"config", "set", "M:", Host("music")}).status, 0);
    const RunResult after = RunCli({"config", "--json"});
    EXPECT_EQ(JsonQuery(after.out, "d['drives_stored']"), "True");
    EXPECT_EQ(JsonQuery(after.out, "[e['letter'] for e in d['drives'] if e['letter'] != 'M:']"), defaults);
    EXPECT_NE(Hive().find("\"\\\\DosDevices\\\\C:\"=\"/\"\r\n"), std::string::npos) << Hive();
}

TEST_F(CliConfig, APathOnNoDriveNamesTheDrivesAndHowToAddOne)
{
    const RunResult result = RunCli({"show", "/proc/version"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "sonadex-cli: /proc/version: not on any drive (the drives are C: " + m_machine.Root() +
                              "; add one with: sonadex-cli config set LETTER: FOLDER)\n");
}

} // namespace

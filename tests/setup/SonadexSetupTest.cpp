#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "table/HexEnvelope.h"
#include "table/TableFile.h"
#include "tag/Id3v1Tag.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

namespace fs = std::filesystem;

namespace {

const std::string kVelmora = "Software\\Velmora";
const std::string kProgram = "Software\\Velmora\\Sonadex Pro";

std::string ReadHost(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs sonadex-setup as a user whose home is a folder of the test machine
// (drive C: of this process, H: of the program's default drive table).
class SonadexSetup : public ::testing::Test {
protected:
    void SetUp() override { machine.MakeDir("home"); }

    fs::path Home() const { return machine.Host("home"); }
    fs::path Hive() const { return Home() / ".config/sonadex-pro/hklm.reg"; }
    fs::path LangCopy() const { return Home() / ".local/share/sonadex-pro/lang"; }

    int Run(const std::string& environment, const std::string& arguments = "",
            const std::string& langSource = SONADEX_LANG_BUILD_DIR)
    {
        const std::string command = "env -i PATH=/usr/bin:/bin HOME='" + Home().string() + "' " + environment + " '" +
                                    SONADEX_SETUP + "' --lang-source '" + langSource + "' " + arguments +
                                    " >'" + machine.Host("out.txt") + "' 2>&1";
        const int status = std::system(command.c_str());
        output = machine.ReadFile("out.txt");
        return status;
    }

    std::string Value(const std::string& key, const std::string& name) const
    {
        return platform::CHive::LoadFile(Hive()).Get(key, name).value_or("<missing>");
    }

    void WriteHiveValues(const std::vector<std::array<std::string, 3>>& values) const
    {
        fs::create_directories(Hive().parent_path());
        const bool written = platform::UpdateHiveFile(Hive(), [&](platform::CHive& hive) {
            for (const auto& [key, name, data] : values) {
                hive.AddKey(key);
                hive.Set(key, name, data);
            }
            return true;
        });
        ASSERT_TRUE(written);
    }

    TempMachine machine;
    std::string output;
};

TEST_F(SonadexSetup, FirstRunPutsEverythingInPlaceAndASecondChangesNothing)
{
    ASSERT_EQ(Run("LANG=de_DE.UTF-8"), 0) << output;
    for (const char* name : {"Deutsch.qzd", "English.qzd"})
        EXPECT_EQ(ReadHost(LangCopy() / name), ReadHost(fs::path(SONADEX_LANG_BUILD_DIR) / name)) << name;
    const platform::CHive hive = platform::CHive::LoadFile(Hive());
    EXPECT_TRUE(hive.HasKey(kVelmora));
    EXPECT_TRUE(hive.HasKey(kProgram));
    EXPECT_EQ(Value(kVelmora, "LangPath"), "H:\\.local\\share\\sonadex-pro\\lang");
    EXPECT_EQ(Value(kVelmora, "Language"), "Deutsch");
    EXPECT_EQ(Value(kProgram, "Rename"), "%1 - %2");
    EXPECT_EQ(Value(kProgram, "Prompt"), "FALSE");
    EXPECT_EQ(Value(kProgram, "LastPath"), "H:");

    // The program rewrites its language file on exit: that copy is the user's now.
    std::ofstream(LangCopy() / "Deutsch.qzd", std::ios::app) << "changed";
    const std::string hiveBefore = ReadHost(Hive());
    const auto hiveTime = fs::last_write_time(Hive());
    const std::string copyBefore = ReadHost(LangCopy() / "Deutsch.qzd");
    ASSERT_EQ(Run("LANG=C"), 0) << output;
    EXPECT_EQ(ReadHost(Hive()), hiveBefore);
    EXPECT_EQ(fs::last_write_time(Hive()), hiveTime);
    EXPECT_EQ(ReadHost(LangCopy() / "Deutsch.qzd"), copyBefore);
}

// The plain table inside a language file, and a language file around it.
std::string PlainOf(const fs::path& file)
{
    const std::optional<CHexEnvelope::Content> content = CHexEnvelope::Unwrap(ReadHost(file));
    EXPECT_TRUE(content.has_value()) << file;
    return content ? content->plain : std::string();
}

int RowNumber(const std::string& line)
{
    return std::atoi(line.substr(0, 5).c_str());
}

// A copy made by an earlier set-up, before the texts from 124 on existed,
// edited by its user since: its text 121 is the user's own, and a line the
// table reads as no text of the program's sits among its rows.
struct OlderCopy {
    std::string plain;   // the copy's table
    std::string dropped; // the built file's rows it lacks, in order, with their line ends
};

OlderCopy MakeOlderCopy(const std::string& name)
{
    OlderCopy copy;
    const std::string built = PlainOf(fs::path(SONADEX_LANG_BUILD_DIR) / name);
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < built.size(); ++lineNumber) {
        const std::size_t end = built.find("\r\n", start) + 2;
        const std::string line = built.substr(start, end - start);
        start = end;
        const int number = lineNumber < 2 ? 0 : RowNumber(line);
        if (number >= 124 && number < 150)
            copy.dropped += line;
        else if (number == 121)
            copy.plain += "121  Mine: %1 / %2 / %3\r\nno row of the program's\r\n";
        else
            copy.plain += line;
    }
    return copy;
}

// A user whose files an earlier set-up copied gets the texts added since:
// each copy gains the rows it lacks after its own bytes, which stay as they
// were, a text the user changed included; a copy that is a link stays one.
// A second run finds nothing to add.
TEST_F(SonadexSetup, CopiesMadeBeforeGainTheNewTextsAndKeepTheirOwn)
{
    fs::create_directories(LangCopy());
    const OlderCopy german = MakeOlderCopy("Deutsch.qzd");
    const OlderCopy english = MakeOlderCopy("English.qzd");
    ASSERT_NE(german.dropped.find("\r\n139  de"), std::string::npos);
    std::ofstream(LangCopy() / "Deutsch.qzd", std::ios::binary) << CHexEnvelope::Wrap("Deutsch.txt", german.plain);
    // The user keeps the English file elsewhere and links it in.
    machine.MakeDir("mine");
    const fs::path linked = machine.Host("mine/English.qzd");
    std::ofstream(linked, std::ios::binary) << CHexEnvelope::Wrap("English.txt", english.plain);
    fs::permissions(linked, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(linked, LangCopy() / "English.qzd");

    ASSERT_EQ(Run("LANG=de_DE.UTF-8"), 0) << output;
    const auto rows = [](const OlderCopy& copy) {
        return std::to_string(std::count(copy.dropped.begin(), copy.dropped.end(), '\n'));
    };
    EXPECT_NE(output.find("updated Deutsch.qzd (" + rows(german) + " texts added)"), std::string::npos) << output;
    EXPECT_NE(output.find("updated English.qzd (" + rows(english) + " texts added)"), std::string::npos) << output;
    EXPECT_EQ(PlainOf(LangCopy() / "Deutsch.qzd"), german.plain + german.dropped);
    EXPECT_EQ(CHexEnvelope::Unwrap(ReadHost(LangCopy() / "Deutsch.qzd"))->storedName, "Deutsch.txt");
    ASSERT_TRUE(fs::is_symlink(LangCopy() / "English.qzd"));
    EXPECT_EQ(fs::read_symlink(LangCopy() / "English.qzd"), linked);
    EXPECT_EQ(PlainOf(linked), english.plain + english.dropped);
    EXPECT_EQ(fs::status(linked).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // The program reads the user's text where it was and the new ones after it.
    CTableFile table;
    ASSERT_TRUE(table.Load(platform::SystemPath((LangCopy() / "Deutsch.qzd").string()).value_or("")));
    EXPECT_EQ(GetText(table, text::kUndone), "Mine: %1 / %2 / %3");
    EXPECT_EQ(GetText(table, text::kQtLocale), "de");
    EXPECT_EQ(GetText(table, text::kUndoChangedSince), "sie wurde seitdem ge\xE4ndert");

    const std::string germanAfter = ReadHost(LangCopy() / "Deutsch.qzd");
    const std::string englishAfter = ReadHost(linked);
    ASSERT_EQ(Run("LANG=de_DE.UTF-8"), 0) << output;
    EXPECT_EQ(output.find("updated"), std::string::npos) << output;
    EXPECT_EQ(ReadHost(LangCopy() / "Deutsch.qzd"), germanAfter);
    EXPECT_EQ(ReadHost(linked), englishAfter);
}

TEST_F(SonadexSetup, InstalledUnderTheUsersOwnDataFolderFindsItsFilesInPlace)
{
    // Installed with the prefix ~/.local, the installed language folder is the
    // very folder the user's copies belong in.
    fs::create_directories(LangCopy());
    for (const char* name : {"Deutsch.qzd", "English.qzd"})
        fs::copy_file(fs::path(SONADEX_LANG_BUILD_DIR) / name, LangCopy() / name);
    const std::string before = ReadHost(LangCopy() / "Deutsch.qzd");
    ASSERT_EQ(Run("LANG=de_DE.UTF-8", "", LangCopy().string()), 0) << output;
    EXPECT_EQ(ReadHost(LangCopy() / "Deutsch.qzd"), before);
    EXPECT_EQ(Value(kVelmora, "LangPath"), "H:\\.local\\share\\sonadex-pro\\lang");
}

TEST_F(SonadexSetup, ExistingValuesAreKept)
{
    WriteHiveValues({{kVelmora, "Language", "English"}, {kProgram, "LastPath", "C:\\Old"}, {kProgram, "Rename", ""}});
    ASSERT_EQ(Run("LANG=de_DE.UTF-8"), 0) << output;
    EXPECT_EQ(Value(kVelmora, "Language"), "English");
    EXPECT_EQ(Value(kProgram, "LastPath"), "C:\\Old");
    EXPECT_EQ(Value(kProgram, "Rename"), "");
    EXPECT_EQ(Value(kVelmora, "LangPath"), "H:\\.local\\share\\sonadex-pro\\lang");
    EXPECT_EQ(Value(kProgram, "Prompt"), "FALSE");
}

TEST_F(SonadexSetup, LanguageAndFirstFolderFollowTheUser)
{
    struct Case {
        const char* label;
        std::string environment;
        std::vector<std::string> folders; // below home
        std::string userDirs;             // ~/.config/user-dirs.dirs
        std::string language, lastPath;
    };
    const Case cases[] = {
        {"plain", "LANG=C", {}, "", "English", "H:"},
        {"germanMusik", "LANG=de_AT.UTF-8", {"Musik"}, "", "Deutsch", "H:\\Musik"},
        {"lcAllFirst", "LANG=de_DE.UTF-8 LC_ALL=en_GB.UTF-8", {"Music"}, "", "English", "H:\\Music"},
        {"xdgMusic",
         "LC_MESSAGES=de_CH.UTF-8",
         {"Music", "Klänge"},
         "XDG_MUSIC_DIR=\"$HOME/Klänge\"\n",
         "Deutsch",
         "H:\\Kl\xC3\xA4nge"}, // the folder name's own bytes
        {"xdgMusicIsHome", "", {}, "XDG_MUSIC_DIR=\"$HOME/\"\n", "English", "H:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove_all(Home());
        machine.MakeDir("home/.config");
        for (const std::string& folder : c.folders)
            fs::create_directories(Home() / folder);
        std::ofstream(Home() / ".config/user-dirs.dirs") << c.userDirs;
        ASSERT_EQ(Run(c.environment), 0) << output;
        EXPECT_EQ(Value(kVelmora, "Language"), c.language);
        EXPECT_EQ(Value(kProgram, "LastPath"), c.lastPath);
    }
}

// A user-dirs.dirs that is no file (a folder, a FIFO nobody writes to) names
// no music folder: the set-up goes on with the home folder's.
TEST_F(SonadexSetup, AUserDirsThatIsNoFileIsPassedOver)
{
    for (const bool fifo : {false, true}) {
        SCOPED_TRACE(fifo ? "fifo" : "folder");
        fs::remove_all(Home());
        machine.MakeDir("home/.config");
        machine.MakeDir("home/Music");
        const fs::path dirs = Home() / ".config/user-dirs.dirs";
        if (fifo)
            ASSERT_EQ(mkfifo(dirs.c_str(), 0600), 0);
        else
            fs::create_directories(dirs);
        ASSERT_EQ(Run("timeout 60"), 0) << output; // env runs the set-up under timeout: a stall fails
        EXPECT_EQ(Value(kProgram, "LastPath"), "H:\\Music");
    }
}

// A settings file the set-up cannot use stops it before it copies or writes
// anything, with the file and the reason; one it cannot write, when it comes
// to write, and the file stays as it was.
TEST_F(SonadexSetup, ASettingsFileItCannotUseStopsItWithTheReason)
{
    fs::create_directories(Hive());
    EXPECT_EQ(WEXITSTATUS(Run("")), 1);
    EXPECT_NE(output.find("sonadex-setup: settings file " + Hive().string() + " is not a regular file"),
              std::string::npos)
        << output;
    EXPECT_FALSE(fs::exists(LangCopy()));
    fs::remove(Hive());

    const std::string readOnly = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n";
    std::ofstream(Hive(), std::ios::binary) << readOnly;
    fs::permissions(Hive(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(WEXITSTATUS(Run("")), 1);
    EXPECT_NE(output.find("sonadex-setup: settings file " + Hive().string() + " is read-only"), std::string::npos)
        << output;
    EXPECT_EQ(ReadHost(Hive()), readOnly);
}

TEST_F(SonadexSetup, FailsWithoutLanguageFilesOrWithABadOption)
{
    machine.MakeDir("empty");
    EXPECT_NE(Run("", "--lang-source '" + machine.Host("empty") + "'"), 0);
    EXPECT_NE(output.find("no language files"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(Hive()));
    EXPECT_NE(Run("", "--bogus"), 0);
    EXPECT_NE(Run("", "--demo"), 0);
    EXPECT_FALSE(fs::exists(Hive()));
    EXPECT_EQ(Run("", "--help"), 0);
    EXPECT_NE(output.find("--demo FOLDER"), std::string::npos) << output;
}

// The three states the file list shows by its icons.
enum class State { Named, Tagged, Untagged };

State StateOf(const fs::path& file)
{
    const std::string system = platform::SystemPath(file.string()).value_or("");
    CId3v1Tag tag;
    EXPECT_TRUE(tag.Open(system)) << file;
    const std::string name = system.substr(system.rfind('\\') + 1);
    if (!tag.HasTag()) return State::Untagged;
    // The tag is code-page text, the name the host's UTF-8.
    return name == platform::ToUtf8(tag.GetArtist() + " - " + tag.GetTitle() + ".mp3") ? State::Named : State::Tagged;
}

TEST_F(SonadexSetup, DemoWritesAllThreeStatesAndKeepsExistingFiles)
{
    machine.WriteFile("home/Demo/Aufnahme 01.mp3", "keep");
    ASSERT_EQ(Run("LANG=C", "--demo '" + (Home() / "Demo").string() + "'"), 0) << output;
    EXPECT_EQ(machine.ReadFile("home/Demo/Aufnahme 01.mp3"), "keep");
    EXPECT_EQ(Value(kProgram, "LastPath"), "H:\\Demo");

    std::map<std::string, std::map<State, int>> byFolder; // folder relative to Demo
    int files = 0, upperCase = 0;
    for (const auto& entry : fs::recursive_directory_iterator(Home() / "Demo")) {
        if (!entry.is_regular_file()) continue;
        ++files;
        if (entry.path().extension() == ".MP3") ++upperCase;
        if (entry.path().filename() == "Aufnahme 01.mp3") continue;
        EXPECT_GT(entry.file_size(), 1000u) << entry.path();
        ++byFolder[fs::relative(entry.path().parent_path(), Home() / "Demo")][StateOf(entry.path())];
    }
    EXPECT_EQ(files, 36);
    EXPECT_EQ(upperCase, 1);
    for (const char* folder : {".", "Rock/Live 1998"}) {
        SCOPED_TRACE(folder);
        for (const State state : {State::Named, State::Tagged, State::Untagged})
            EXPECT_GT(byFolder[folder][state], 0);
    }

    // A second run finds every name taken and writes nothing.
    const auto before = fs::last_write_time(Home() / "Demo/Rock/Live 1998");
    ASSERT_EQ(Run("LANG=C", "--demo '" + (Home() / "Demo").string() + "'"), 0) << output;
    EXPECT_NE(output.find("0 files written, 36 kept"), std::string::npos) << output;
    EXPECT_EQ(fs::last_write_time(Home() / "Demo/Rock/Live 1998"), before);
}

// An independent reader sees the Latin-1 tag texts the demo wrote.
TEST_F(SonadexSetup, DemoTagsReadByAnotherTool)
{
    ASSERT_EQ(Run("LANG=C", "--demo '" + (Home() / "Demo").string() + "'"), 0) << output;
    const fs::path file = Home() / "Demo" / "Zwölf Öfen - Wärme für alle.mp3";
    ASSERT_TRUE(fs::exists(file));
    const std::string command = "id3v2 -l '" + file.string() + "' 2>&1";
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
    ASSERT_TRUE(pipe);
    std::string listing;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe.get()))
        listing += buffer;
    EXPECT_NE(listing.find("Zw\xF6lf \xD6"
                           "fen"),
              std::string::npos)
        << listing;
    EXPECT_NE(listing.find("W\xE4rme f\xFCr alle"), std::string::npos) << listing;
}

} // namespace

// The three programs (window, command line, set-up) pointed at hostile
// settings files and trees: each must end in bounded time with the exit
// status the README gives, a message naming what is wrong, and nothing
// changed that it should not change.
#include "ChildRun.h"
#include "TempMachine.h"
#include "TestFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr unsigned kTimeoutSeconds = 60;

enum class Program { Window, Cli, Setup };

const char* NameOf(Program program)
{
    switch (program) {
    case Program::Window:
        return "sonadex";
    case Program::Cli:
        return "sonadex-cli";
    case Program::Setup:
        return "sonadex-setup";
    }
    return "?";
}

// Every entry below folder by type and content, links not followed: "f:" and
// the bytes of a file, "l:" and the target of a link, "d" a folder, "p" anything else.
std::map<std::string, std::string> TreeState(const fs::path& folder)
{
    std::map<std::string, std::string> state;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path& path = it->path();
        const std::string name = fs::relative(path, folder).string();
        const fs::file_status status = fs::symlink_status(path, ec);
        if (fs::is_symlink(status)) {
            state[name] = "l:" + fs::read_symlink(path, ec).string();
        } else if (fs::is_regular_file(status)) {
            std::ifstream in(path, std::ios::binary);
            state[name] = "f:" + std::string(std::istreambuf_iterator<char>(in), {});
        } else {
            state[name] = fs::is_directory(status) ? "d" : "p";
        }
    }
    return state;
}

class HostileInput : public ::testing::Test {
protected:
    HostileInput()
    {
        m_machine.MakeDir("home");
        fs::create_directories(m_machine.Host("lang"));
        for (const char* name : {"Deutsch.qzd", "English.qzd"})
            fs::copy_file(fs::path(SONADEX_LANG_BUILD_DIR) / name, m_machine.Host(std::string("lang/") + name));
        m_machine.WriteFile("music/a.mp3", Tagged("a", "Artist"));
        m_machine.WriteFile("music/b.mp3", Tagged("b", "Band"));
    }

    fs::path Base() const { return fs::path(m_machine.Root()).parent_path(); }

    // The hive the programs read, with the language, a "Rename" pattern of the
    // user's and extra lines after the program's key.
    std::string GoodHive(const std::string& extraLines = "") const
    {
        return "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n\"\\\\DosDevices\\\\C:\"=\"" +
               m_machine.Root() +
               "\"\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n\"LangPath\"=\"C:\\\\lang\"\r\n"
               "\"Language\"=\"English\"\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n"
               "\"Rename\"=\"%2 by %1\"\r\n" +
               extraLines;
    }

    ChildResult Run(Program program, const std::string& hive, std::vector<std::string> args = {}) const
    {
        ChildOptions options;
        options.timeoutSeconds = kTimeoutSeconds;
        // Home and data folders on drive C:, where the set-up's folders must lie.
        options.env = {"SONADEX_HIVE=" + hive,
                       "HOME=" + m_machine.Host("home"),
                       "XDG_CONFIG_HOME=" + m_machine.Host("home/.config"),
                       "XDG_DATA_HOME=" + m_machine.Host("home/.local/share"),
                       "QT_QPA_PLATFORM=offscreen",
                       "SONADEX_MESSAGE_BOX=stderr"};
        switch (program) {
        case Program::Window:
            return RunChild(SONADEX_APP_PATH, args, options);
        case Program::Cli:
            return RunChild(SONADEX_CLI_PATH, args, options);
        case Program::Setup:
            args.insert(args.begin(), {"--lang-source", SONADEX_LANG_BUILD_DIR});
            return RunChild(SONADEX_SETUP_PATH, args, options);
        }
        return {};
    }

    // The command line's run of the case: rename-all by the stored pattern.
    std::vector<std::string> RenameAll() const { return {"rename-all", m_machine.Host("music")}; }

    TempMachine m_machine;
};

// Hive paths that name no usable settings file: every program refuses at
// start with the file and the reason, and nothing anywhere changes.
TEST_F(HostileInput, ASettingsFileThatIsNoUsableFileStopsEveryProgram)
{
    const fs::path hostile = Base() / "hostile";
    fs::create_directories(hostile / "folder.reg");
    ASSERT_EQ(mkfifo((hostile / "fifo.reg").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", hostile / "zero.reg");
    std::ofstream(hostile / "binary.reg", std::ios::binary)
        << std::string("\177ELF\x02\x01\x00\xFF", 8) << std::string(4096, '\xA5');
    std::ofstream(hostile / "line.reg", std::ios::binary)
        << GoodHive("\"Long\"=\"" + std::string(10 << 20, 'x') + "\"\r\n");
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"folder.reg", "is not a regular file"}, {"fifo.reg", "is not a regular file"},
        {"zero.reg", "is not a regular file"},   {"binary.reg", "is not a REGEDIT4 file"},
        {"line.reg", "is larger than 1024 KiB"},
    };
    const std::map<Program, int> status = {{Program::Window, 2}, {Program::Cli, 2}, {Program::Setup, 1}};
    const auto before = TreeState(Base());
    for (const auto& c : cases) {
        for (const auto& [program, expected] : status) {
            SCOPED_TRACE(std::string(c.name) + " " + NameOf(program));
            const std::string hive = (hostile / c.name).string();
            const ChildResult result =
                Run(program, hive, program == Program::Cli ? RenameAll() : std::vector<std::string>{});
            EXPECT_EQ(result.signal, 0);
            EXPECT_EQ(result.status, expected) << result.err;
            EXPECT_NE(result.err.find("settings file " + hive + " " + c.reason), std::string::npos) << result.err;
            EXPECT_EQ(TreeState(Base()), before);
        }
    }
}

// Lines the parser does not understand, and a value given twice: the rest
// of the hive is read (the command line renames by the user's pattern, the
// set-up adds what is missing), each bad line is named once, and the set-up's
// write keeps them as they were.
TEST_F(HostileInput, BadLinesAndDuplicatesCostOnlyThemselves)
{
    const std::string bad = "garbage line without brackets\r\n\"Unclosed\"=\"quote\r\n\"Rename\"=\"%1 - %2\"\r\n"
                            "\"Rename\"=\"%2 by %1\"\r\n";
    const std::string hive = m_machine.HiveFile();
    std::ofstream(hive, std::ios::binary | std::ios::trunc) << GoodHive(bad);

    const ChildResult cli = Run(Program::Cli, hive, RenameAll());
    EXPECT_EQ(cli.status, 0) << cli.err;
    EXPECT_TRUE(m_machine.Exists("music/Title a by Artist.mp3")) << cli.out << cli.err;
    EXPECT_TRUE(m_machine.Exists("music/Title b by Band.mp3"));
    for (const int line : {12, 13}) {
        const std::string named = "settings file " + hive + ", line " + std::to_string(line) + ": not understood";
        EXPECT_NE(cli.err.find(named), std::string::npos) << cli.err;
        EXPECT_EQ(cli.err.find(named), cli.err.rfind(named)) << "named once: " << cli.err;
    }

    const ChildResult setup = Run(Program::Setup, hive);
    EXPECT_EQ(setup.status, 0) << setup.err;
    EXPECT_NE(setup.err.find(", line 12: not understood"), std::string::npos) << setup.err;
    EXPECT_NE(setup.out.find("added Software\\Velmora\\Sonadex Pro\\Prompt"), std::string::npos) << setup.out;
    const std::string written = m_machine.ReadFile("../hklm.reg");
    EXPECT_NE(written.find("\r\ngarbage line without brackets\r\n\"Unclosed\"=\"quote\r\n"), std::string::npos)
        << written;
    EXPECT_NE(written.find("\"Rename\"=\"%2 by %1\"\r\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("%1 - %2"), std::string::npos) << "the last value wins and is the one kept";
}

// A read-only hive: the set-up says so and the file stays as it was; a hive
// that is a link stays one, and the set-up's write reaches the linked file.
TEST_F(HostileInput, ReadOnlyAndLinkedHives)
{
    const fs::path real = Base() / "dotfiles/hklm.reg";
    fs::create_directories(real.parent_path());
    std::ofstream(real, std::ios::binary) << GoodHive();
    const fs::path link = Base() / "linked.reg";
    fs::create_symlink(real, link);

    ASSERT_EQ(chmod(real.c_str(), 0444), 0);
    const ChildResult refused = Run(Program::Setup, link.string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("settings file " + link.string() + " is read-only"), std::string::npos) << refused.err;
    EXPECT_EQ(TreeState(real.parent_path()), (std::map<std::string, std::string>{{"hklm.reg", "f:" + GoodHive()}}));

    ASSERT_EQ(chmod(real.c_str(), 0644), 0);
    const ChildResult written = Run(Program::Setup, link.string());
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_TRUE(fs::is_symlink(link));
    std::ifstream in(real, std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    EXPECT_NE(text.find("\"Prompt\"=\"FALSE\""), std::string::npos) << text;
}

// Language files the window cannot use: it says so and ends, as any failed
// start does, with status 0, changing no file.
TEST_F(HostileInput, TheWindowEndsOnALanguageFileItCannotRead)
{
    const std::string whole = m_machine.ReadFile("lang/English.qzd");
    const struct {
        const char* label;
        std::string bytes;
    } cases[] = {
        {"truncatedHeader", whole.substr(0, 4)},
        {"empty", ""},
        {"binary", std::string("\177ELF\x00\x01", 6)},
    };
    std::ofstream(m_machine.HiveFile(), std::ios::binary | std::ios::trunc) << GoodHive();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        m_machine.WriteFile("lang/English.qzd", c.bytes);
        const auto before = TreeState(Base());
        const ChildResult result = Run(Program::Window, m_machine.HiveFile());
        EXPECT_EQ(result.signal, 0);
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.err.find("Unable to read language settings."), std::string::npos) << result.err;
        EXPECT_EQ(TreeState(Base()), before);
    }
}

// Trees with a FIFO, a device, two links to the folder itself and a link
// leading outside: the command line's walks end, read what they can, and
// write nothing but the MP3 files inside.
TEST_F(HostileInput, HostileTreesEndAndChangeOnlyTheirFiles)
{
    std::ofstream(m_machine.HiveFile(), std::ios::binary | std::ios::trunc) << GoodHive();
    const fs::path outside = Base() / "outside";
    fs::create_directories(outside);
    std::ofstream(outside / "o.mp3", std::ios::binary) << Audio("o");
    ASSERT_EQ(mkfifo(m_machine.Host("music/fifo.mp3").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", m_machine.Host("music/zero.mp3"));
    fs::create_directory_symlink(".", m_machine.Host("music/a"));
    fs::create_directory_symlink(".", m_machine.Host("music/b"));
    fs::create_directory_symlink(outside, m_machine.Host("music/out"));
    const auto outsideBefore = TreeState(outside);

    const ChildResult list = Run(Program::Cli, m_machine.HiveFile(), {"list", "-r", "--json", m_machine.Host("music")});
    EXPECT_EQ(list.signal, 0);
    EXPECT_EQ(list.status, 1) << list.err; // the FIFO and the device are named
    EXPECT_NE(list.err.find("fifo.mp3"), std::string::npos) << list.err;
    EXPECT_NE(list.err.find("zero.mp3"), std::string::npos) << list.err;

    const ChildResult tag =
        Run(Program::Cli, m_machine.HiveFile(), {"multitag", "-r", "--album", "X", m_machine.Host("music")});
    EXPECT_EQ(tag.signal, 0);
    EXPECT_EQ(tag.status, 1) << tag.err;
    EXPECT_NE(tag.err.find("link leads outside the folder"), std::string::npos) << tag.err;
    EXPECT_EQ(TreeState(outside), outsideBefore);
    EXPECT_TRUE(fs::is_fifo(m_machine.Host("music/fifo.mp3")));
    EXPECT_EQ(m_machine.ReadFile("music/a.mp3").size(), Tagged("a", "Artist").size());
}

} // namespace

// The window as the package installs it: the program in usr/bin, the
// language files read-only in usr/share/sonadex-pro/lang, started by an
// ordinary user who has run nothing else.
#include "ChildRun.h"
#include "TempMachine.h"

#include "platform/Registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace fs = std::filesystem;

namespace {

// Long enough for the window to read its settings and language file; a
// window that cannot use them says so and ends well before.
constexpr unsigned kRunSeconds = 8;
constexpr uid_t kNobody = 65534;

std::string ReadHost(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class InstalledLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Open to the user the window runs as, as /tmp is.
        fs::permissions(Base(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
        fs::create_directories(Base() / "usr/bin");
        fs::copy_file(SONADEX_APP_PATH, Program());
        fs::create_directories(Lang());
        for (const char* name : {"Deutsch.qzd", "English.qzd"}) {
            fs::copy_file(fs::path(SONADEX_LANG_BUILD_DIR) / name, Lang() / name);
            ASSERT_EQ(chmod((Lang() / name).c_str(), 0444), 0);
        }
        ASSERT_EQ(chmod(Lang().c_str(), 0555), 0);
        fs::create_directories(Home());
        if (geteuid() == 0) {
            ASSERT_EQ(chown(Home().c_str(), kNobody, kNobody), 0);
        }
    }

    void TearDown() override { fs::permissions(Lang(), fs::perms::owner_all, fs::perm_options::add); }

    fs::path Base() const { return fs::path(m_machine.Root()).parent_path(); }
    fs::path Program() const { return Base() / "usr/bin/sonadex"; }
    fs::path Lang() const { return Base() / "usr/share/sonadex-pro/lang"; }
    fs::path Home() const { return Base() / "home"; }
    fs::path Hive() const { return Home() / ".config/sonadex-pro/hklm.reg"; }

    // Runs the installed window as nobody (when the test runs as root) until
    // the time is up, with the user's own settings file.
    ChildResult RunWindow() const
    {
        ChildOptions options;
        options.asNobody = geteuid() == 0;
        options.timeoutSeconds = kRunSeconds;
        options.env = {"SONADEX_HIVE=" + Hive().string(),
                       "HOME=" + Home().string(),
                       "XDG_CONFIG_HOME=" + (Home() / ".config").string(),
                       "XDG_DATA_HOME=" + (Home() / ".local/share").string(),
                       "XDG_STATE_HOME=" + (Home() / ".local/state").string(),
                       "LC_ALL=",
                       "LC_MESSAGES=",
                       "LANG=de_DE.UTF-8",
                       "QT_QPA_PLATFORM=offscreen",
                       "SONADEX_MESSAGE_BOX=stderr"};
        return RunChild(Program().string(), {}, options);
    }

    std::string Value(const std::string& key, const std::string& name) const
    {
        return platform::CHive::LoadFile(Hive()).Get(key, name).value_or("<missing>");
    }

    TempMachine m_machine;
};

TEST_F(InstalledLayout, AFirstStartTakesTheDefaultsAndTheInstalledLanguageFiles)
{
    const std::string german = ReadHost(Lang() / "Deutsch.qzd");
    const ChildResult result = RunWindow();
    // Still running when the time was up: the window started and stayed.
    EXPECT_EQ(result.status, -1) << result.err;
    EXPECT_EQ(result.signal, SIGALRM) << result.err;
    EXPECT_EQ(result.err.find("Unable"), std::string::npos) << result.err;

    const std::string langPath = Value("Software\\Velmora", "LangPath");
    EXPECT_TRUE(langPath.ends_with("\\usr\\share\\sonadex-pro\\lang")) << langPath;
    EXPECT_EQ(Value("Software\\Velmora", "Language"), "Deutsch");
    EXPECT_EQ(Value("Software\\Velmora\\Sonadex Pro", "Rename"), "%1 - %2");
    EXPECT_EQ(Value("Software\\Velmora\\Sonadex Pro", "Prompt"), "FALSE");
    EXPECT_EQ(Value("Software\\Velmora\\Sonadex Pro", "LastPath"), "H:");
    EXPECT_EQ(ReadHost(Lang() / "Deutsch.qzd"), german);
    EXPECT_EQ(std::distance(fs::directory_iterator(Lang()), fs::directory_iterator()), 2);
}

// A user who chose a language folder keeps it and every value of it: the
// defaults are for a first start only. A language file there that is a link
// to the installed one stays a link, and the installed file is unchanged.
TEST_F(InstalledLayout, ALaterStartKeepsTheSettingsAndALinkedLanguageFile)
{
    fs::create_directories(Home() / "lang");
    fs::create_symlink(Lang() / "English.qzd", Home() / "lang/English.qzd");
    fs::create_directories(Hive().parent_path());
    std::ofstream(Hive(), std::ios::binary) << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n"
                                               "\"LangPath\"=\"H:\\\\lang\"\r\n\"Language\"=\"English\"\r\n\r\n"
                                               "[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n"
                                               "\"Rename\"=\"%2 (%1)\"\r\n";
    if (geteuid() == 0) {
        for (const fs::path& path : {Home() / ".config", Home() / ".config/sonadex-pro", Hive(), Home() / "lang"})
            ASSERT_EQ(lchown(path.c_str(), kNobody, kNobody), 0) << path;
    }
    const std::string hiveBefore = ReadHost(Hive());
    const std::string english = ReadHost(Lang() / "English.qzd");

    const ChildResult result = RunWindow();
    EXPECT_EQ(result.signal, SIGALRM) << result.err;
    EXPECT_EQ(result.err.find("Unable"), std::string::npos) << result.err;
    EXPECT_EQ(ReadHost(Hive()), hiveBefore);
    EXPECT_TRUE(fs::is_symlink(Home() / "lang/English.qzd"));
    EXPECT_EQ(fs::read_symlink(Home() / "lang/English.qzd"), Lang() / "English.qzd");
    EXPECT_EQ(ReadHost(Lang() / "English.qzd"), english);
}

} // namespace

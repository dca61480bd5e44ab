// Start-up, stored settings, splash and the end of the view.
#include "ViewHarness.h"

#include "app/MainFrame.h"
#include "app/SonadexApp.h"
#include "platform/QtText.h"
#include "view/SonadexView.h"
#include "view/SplashDlg.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <gtest/gtest.h>

TEST(ViewStartup, ReopensTheLastFolderThreeLevelsDeep)
{
    ViewHarness h;
    h.machine.WriteFile("a/b/c/one.mp3", Untagged());
    h.machine.WriteFile("a/b/c/two.mp3", Untagged());
    h.machine.MakeDir("a/b/c/d/e");
    h.machine.MakeDir("a/b/other");
    h.machine.MakeDir("z");
    ASSERT_TRUE(h.Start({.lastPath = "C:\\a\\b\\c"}));

    CSonadexView& view = h.View();
    QTreeWidgetItem* drive = view.FolderTree()->topLevelItem(0);
    ASSERT_NE(drive, nullptr);
    QTreeWidgetItem* a = ChildNode(drive, "a");
    ASSERT_NE(a, nullptr);
    QTreeWidgetItem* b = ChildNode(a, "b");
    ASSERT_NE(b, nullptr);
    QTreeWidgetItem* c = ChildNode(b, "c");
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(drive->isExpanded());
    EXPECT_TRUE(a->isExpanded());
    EXPECT_TRUE(b->isExpanded());
    EXPECT_EQ(view.FolderTree()->currentItem(), c);
    EXPECT_EQ(view.m_strFolder, "C:\\a\\b\\c");
    EXPECT_EQ(h.Frame().windowTitle(), "Sonadex Pro - C:\\a\\b\\c");
    EXPECT_EQ(h.RowNames(), (std::vector<std::string>{"one.mp3", "two.mp3"}));
    EXPECT_EQ(h.StatusText(), "2 Dateien, 2.00 KB");
    // One level ahead of what shows: d is known under the closed c, e is not.
    QTreeWidgetItem* d = ChildNode(c, "d");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->childCount(), 0);
    EXPECT_TRUE(h.boxes.calls.empty());
    EXPECT_TRUE(h.Frame().isMaximized());
}

// Opens of files in a folder, counted by the kernel while the object lives.
class OpenCounter {
public:
    explicit OpenCounter(const std::string& folder) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        inotify_add_watch(m_fd, folder.c_str(), IN_OPEN);
    }
    ~OpenCounter() { close(m_fd); }
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;

    int Opens(const std::string& name) const
    {
        int count = 0;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t size; (size = read(m_fd, buffer, sizeof buffer)) > 0;)
            for (ssize_t at = 0; at < size;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && name == event->name) ++count;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        return count;
    }

private:
    int m_fd;
};

// A slow share makes a second reading of the start folder cost as much as the first.
TEST(ViewStartup, ReadsTheStartFolderOnce)
{
    ViewHarness h;
    h.machine.WriteFile("music/one.mp3", Untagged());
    const OpenCounter opens(h.machine.Host("music"));
    ASSERT_TRUE(h.Start({.lastPath = "C:\\music"}));
    EXPECT_EQ(h.RowNames(), std::vector<std::string>{"one.mp3"});
    EXPECT_EQ(opens.Opens("one.mp3"), 1);
}

TEST(ViewStartup, AMissingStoredFolderSelectsNothingAndListsNothing)
{
    ViewHarness h;
    h.machine.MakeDir("a/x");
    ASSERT_TRUE(h.Start({.lastPath = "C:\\a\\gone"}));
    EXPECT_TRUE(h.View().FolderTree()->selectedItems().isEmpty());
    EXPECT_EQ(h.View().m_strFolder, "C:\\a\\gone");
    EXPECT_TRUE(h.RowNames().empty());
    EXPECT_EQ(h.Frame().windowTitle(), "Sonadex Pro - Unbenannt");
    EXPECT_EQ(h.StatusText(), "0 Dateien, ");
}

struct FailedStart {
    const char* name;
    StartSettings settings;
    const char* message;
};

class ViewStartupFailure : public testing::TestWithParam<FailedStart> {};

TEST_P(ViewStartupFailure, ShowsItsMessageAndEndsWithCodeZero)
{
    const FailedStart& c = GetParam();
    ViewHarness h;
    h.clock = 7;
    EXPECT_FALSE(h.Start(c.settings));
    EXPECT_EQ(h.View().QuitRequested(), 0);
    EXPECT_EQ(h.App().ExitCode(), 0);
    ASSERT_EQ(h.boxes.calls.size(), 1u);
    EXPECT_EQ(h.boxes.calls[0].text, c.message);
    EXPECT_EQ(h.boxes.calls[0].caption, "Sonadex Pro");
    EXPECT_EQ(h.boxes.calls[0].flags, platform::MB_OK | platform::MB_ICONSTOP);
    EXPECT_FALSE(h.Frame().isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ViewStartupFailure,
    testing::Values(FailedStart{"NoLanguageFile", {.language = "Klingonisch"}, "Unable to read language settings."},
                    FailedStart{"NoSettingsKey", {.settingsKey = false}, "Die Einstellungen fehlen."}),
    [](const auto& info) { return std::string(info.param.name); });

// The system's file names ignore case, and so does the stored language's.
TEST(ViewStartup, TheLanguageIsFoundIgnoringCase)
{
    for (const auto& [stored, file] :
         {std::pair{"deutsch", "Deutsch"}, std::pair{"DEUTSCH", "Deutsch"}, std::pair{"english", "English"}}) {
        SCOPED_TRACE(stored);
        ViewHarness h;
        ASSERT_TRUE(h.Start({.language = stored}));
        EXPECT_TRUE(h.boxes.calls.empty());
        EXPECT_EQ(h.View().m_strLanguage, file);
        h.Frame().close();
    }
}

TEST(ViewStartup, AFailedStartKeepsTheStoredFolder)
{
    ViewHarness h;
    h.machine.MakeDir("keep");
    EXPECT_FALSE(h.Start({.language = "Klingonisch", .lastPath = "C:\\keep"}));
    h.Frame().close();
    EXPECT_EQ(h.HiveValue("Software\\Velmora\\Sonadex Pro", "LastPath"), "C:\\keep");
}

TEST(ViewStartup, PromptIsOnOnlyForTheExactWordTrue)
{
    const std::pair<const char*, bool> cases[] = {{"TRUE", true}, {"FALSE", false}, {"", false}, {"True", false}};
    for (const auto& [value, on] : cases) {
        SCOPED_TRACE(value);
        ViewHarness h;
        ASSERT_TRUE(h.Start({.prompt = value}));
        EXPECT_EQ(h.View().m_bPrompt, on);
        EXPECT_EQ(h.View().m_strRenamePattern, "%1 - %2");
    }
}

// The splash stays until the clock has moved 3000 ms past its first paint,
// and the window keeps handling events meanwhile.
TEST(ViewStartup, SplashWaitsForTheClock)
{
    ViewHarness h;
    const std::uint32_t t0 = 4'294'966'000u; // t0 + 3000 wraps the 32-bit clock
    int reads = 0;
    h.clock = t0;
    h.clockScript = [&] {
        ++reads;
        return h.clock;
    };
    const auto splashUp = [&h] {
        const CSplashDlg* splash = h.App().GetMainWnd() ? h.View().findChild<CSplashDlg*>() : nullptr;
        return splash && splash->isVisible();
    };
    int stage = 0;
    bool splashUpBeforeTime = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (reads < 2) return; // t0 taken and the wait begun
        if (stage == 0) {
            h.clock = t0 + 2999;
        } else if (stage == 1) {
            splashUpBeforeTime = splashUp();
            h.clock = t0 + 3000;
        }
        ++stage;
    });
    driver.start(5);
    ASSERT_TRUE(h.Start());
    driver.stop();
    EXPECT_GE(stage, 2);
    EXPECT_TRUE(splashUpBeforeTime);
    EXPECT_EQ(h.View().findChild<CSplashDlg*>(), nullptr);
}

TEST(ViewStartup, ExitWritesTheLastFolderAndTheLanguageFileBack)
{
    ViewHarness h;
    h.machine.MakeDir("first");
    h.machine.MakeDir("second");
    ASSERT_TRUE(h.Start({.lastPath = "C:\\first"}));
    const std::string language = h.machine.Host("lang/Deutsch.qzd");
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::hours(24);
    std::filesystem::last_write_time(language, old);

    QTreeWidgetItem* drive = h.View().FolderTree()->topLevelItem(0);
    h.View().FolderTree()->setCurrentItem(ChildNode(drive, "second"));
    EXPECT_EQ(h.View().m_strFolder, "C:\\second");
    h.Frame().close();

    EXPECT_EQ(h.HiveValue("Software\\Velmora\\Sonadex Pro", "LastPath"), "C:\\second");
    EXPECT_GT(std::filesystem::last_write_time(language), old);
    EXPECT_FALSE(h.View().m_tblLanguage.IsLoaded());
}

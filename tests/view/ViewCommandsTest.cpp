// The file commands: rename, rename all, prompt, remove tag, delete, play,
// double click, and the window-wide keys.
#include "ViewHarness.h"

#include "app/MainFrame.h"
#include "view/Resource.h"
#include "view/SonadexView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

TagSpec Tag(const std::string& artist, const std::string& title)
{
    return {.title = title, .artist = artist};
}

// Scripts the tag editor: optionally types artist and title and saves, then closes.
void ScriptEditor(std::string artist, std::string title, bool save)
{
    WhenModal([artist, title, save](QWidget* dialog) {
        if (save) {
            dialog->findChild<QLineEdit*>("artistEdit")->setText(QString::fromStdString(artist));
            dialog->findChild<QLineEdit*>("titleEdit")->setText(QString::fromStdString(title));
            dialog->findChild<QPushButton*>("saveButton")->click();
        }
        dialog->findChild<QPushButton*>("closeButton")->click();
    });
}

} // namespace

TEST(ViewCommands, RenameMovesSelectedFilesAndLeavesCollisionsAndBadNames)
{
    ViewHarness h;
    h.machine.WriteFile("f/1.mp3", Tagged(Tag("A", "T")));
    h.machine.WriteFile("f/2.mp3", Tagged(Tag("A", "T")));          // same name as 1.mp3 makes
    h.machine.WriteFile("f/3.mp3", Tagged(Tag("Say \"hi\"", "Q"))); // '"' is no file-name character
    h.machine.WriteFile("f/4.mp3", Tagged(Tag("B", "U")));          // not selected
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    h.SelectRows({"1.mp3", "2.mp3", "3.mp3"});

    h.Command(res::ID_FILE_RENAME);

    EXPECT_EQ(h.RowNames(), (std::vector<std::string>{"2.mp3", "3.mp3", "4.mp3", "A - T.mp3"}));
    EXPECT_EQ(h.machine.ReadFile("f/A - T.mp3"), Tagged(Tag("A", "T")));
    EXPECT_TRUE(h.SelectedRowNames().empty());
    EXPECT_TRUE(h.boxes.calls.empty());
}

TEST(ViewCommands, RenameWithNothingSelectedStillRefills)
{
    ViewHarness h;
    h.machine.MakeDir("f");
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    h.machine.WriteFile("f/new.mp3", Untagged());
    h.Command(res::ID_FILE_RENAME);
    EXPECT_EQ(h.RowNames(), std::vector<std::string>{"new.mp3"});
}

TEST(ViewCommands, RenameAllYesWalksSubfoldersAndReportsTheCount)
{
    ViewHarness h;
    h.machine.WriteFile("f/one.mp3", Tagged(Tag("A", "1")));
    h.machine.WriteFile("f/UPPER.MP3", Tagged(Tag("A", "up"))); // the walk takes ".mp3" only
    h.machine.WriteFile("f/sub/two.mp3", Tagged(Tag("B", "2")));
    h.machine.WriteFile("f/sub/three.mp3", Tagged(Tag("B", "2"))); // its name is taken: counts, stays
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    h.boxes.answers = {platform::IDYES, platform::IDOK};

    h.Command(res::ID_FILE_RENAME_ALL);

    ASSERT_EQ(h.boxes.calls.size(), 2u);
    EXPECT_EQ(h.boxes.calls[0].text, "Unterordner einbeziehen?");
    EXPECT_EQ(h.boxes.calls[0].caption, "Sonadex Pro");
    EXPECT_EQ(h.boxes.calls[0].flags, platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION);
    EXPECT_EQ(h.boxes.calls[1].text, "3 Dateien bearbeitet.");
    EXPECT_EQ(h.boxes.calls[1].caption, "SonadexPro");
    EXPECT_EQ(h.boxes.calls[1].flags, platform::MB_OK | platform::MB_ICONINFORMATION);
    EXPECT_EQ(h.RowNames(), (std::vector<std::string>{"A - 1.mp3", "UPPER.MP3"}));
    EXPECT_TRUE(h.machine.Exists("f/sub/B - 2.mp3"));
    EXPECT_EQ(h.machine.Exists("f/sub/two.mp3") + h.machine.Exists("f/sub/three.mp3"), 1);
}

TEST(ViewCommands, RenameAllNoRenamesEveryListedRow)
{
    ViewHarness h;
    h.machine.WriteFile("f/one.mp3", Tagged(Tag("A", "1")));
    h.machine.WriteFile("f/UPPER.MP3", Tagged(Tag("A", "up")));
    h.machine.WriteFile("f/sub/two.mp3", Tagged(Tag("B", "2")));
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    h.boxes.answers = {platform::IDNO};

    h.Command(res::ID_FILE_RENAME_ALL);

    EXPECT_EQ(h.boxes.calls.size(), 1u);
    EXPECT_EQ(h.RowNames(), (std::vector<std::string>{"A - 1.mp3", "A - up.mp3"}));
    EXPECT_TRUE(h.machine.Exists("f/sub/two.mp3"));
}

TEST(ViewCommands, RenameAllCancelChangesNothing)
{
    ViewHarness h;
    h.machine.WriteFile("f/one.mp3", Tagged(Tag("A", "1")));
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    h.boxes.answers = {platform::IDCANCEL};
    h.Command(res::ID_FILE_RENAME_ALL);
    EXPECT_EQ(h.boxes.calls.size(), 1u);
    EXPECT_TRUE(h.machine.Exists("f/one.mp3"));
}

TEST(ViewCommands, PromptOpensTheEditorForAFileWithoutTag)
{
    const struct {
        const char* name;
        bool save;
        const char* result;
    } cases[] = {{"SavedThenClosed", true, "f/New - Song.mp3"}, {"ClosedWithoutSave", false, "f/bare.mp3"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ViewHarness h;
        h.machine.WriteFile("f/bare.mp3", Untagged());
        ASSERT_TRUE(h.Start({.prompt = "TRUE", .lastPath = "C:\\f"}));
        h.SelectRows({"bare.mp3"});
        ScriptEditor("New", "Song", c.save);

        h.Command(res::ID_FILE_RENAME);

        EXPECT_TRUE(h.machine.Exists(c.result));
        EXPECT_EQ(h.RowNames().size(), 1u);
    }
}

TEST(ViewCommands, WithoutPromptAFileWithoutTagKeepsItsName)
{
    ViewHarness h;
    h.machine.WriteFile("f/bare.mp3", Untagged());
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    h.SelectRows({"bare.mp3"});
    h.Command(res::ID_FILE_RENAME);
    EXPECT_TRUE(h.machine.Exists("f/bare.mp3"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The settings dialog starts from the view's settings; only OK hands the new ones back.
TEST(ViewCommands, SettingsStartFromTheViewAndOnlyOkTakesTheResults)
{
    const struct {
        const char* name;
        const char* button;
        bool takes;
    } cases[] = {{"OK", "okButton", true}, {"Abbrechen", "cancelButton", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ViewHarness h;
        ASSERT_TRUE(h.Start({.rename = "%3", .prompt = "TRUE"}));
        WhenModal([&c](QWidget* dialog) {
            auto* pattern = dialog->findChild<QLineEdit*>("patternEdit");
            auto* prompt = dialog->findChild<QCheckBox*>("promptCheck");
            auto* languages = dialog->findChild<QComboBox*>("languageBox");
            EXPECT_EQ(pattern->text(), "%3");
            EXPECT_TRUE(prompt->isChecked());
            EXPECT_EQ(languages->currentText(), "Deutsch"); // listed from the view's language folder
            pattern->setText("%2 (%1)");
            prompt->setChecked(false);
            languages->setCurrentIndex(languages->findText("English"));
            dialog->findChild<QPushButton*>(c.button)->click();
        });

        h.Command(res::ID_FILE_SETTINGS);

        const CSonadexView& view = h.View();
        EXPECT_EQ(view.m_strRenamePattern, c.takes ? "%2 (%1)" : "%3");
        EXPECT_EQ(view.m_bPrompt, !c.takes);
        EXPECT_EQ(view.m_strLanguage, c.takes ? "English" : "Deutsch");
        EXPECT_EQ(h.Frame().CommandAction(res::ID_FILE_SETTINGS)->text(),
                  c.takes ? "Settings\tCtrl+O" : "Einstellungen\tStrg+O");
    }
}

TEST(ViewCommands, RemoveId3CutsExactlyTheRecord)
{
    ViewHarness h;
    const std::string tagged = Tagged(Tag("A", "T"), 3000);
    const std::string untagged = Untagged(2000);
    h.machine.WriteFile("f/tagged.mp3", tagged);
    h.machine.WriteFile("f/untagged.mp3", untagged);
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    h.SelectRows({"tagged.mp3", "untagged.mp3"});

    h.Command(res::ID_FILE_REMOVE_ID3);

    EXPECT_EQ(h.machine.ReadFile("f/tagged.mp3"), tagged.substr(0, tagged.size() - 128));
    EXPECT_EQ(h.machine.ReadFile("f/untagged.mp3"), untagged);
    EXPECT_TRUE(h.SelectedRowNames().empty());
}

TEST(ViewCommands, DeleteAsksWithTheCount)
{
    ViewHarness h;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"})
        h.machine.WriteFile(std::string("f/") + name, Untagged());
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));

    h.Command(res::ID_FILE_DELETE); // nothing selected: no question
    EXPECT_TRUE(h.boxes.calls.empty());

    h.SelectRows({"a.mp3", "b.mp3", "d.mp3"});
    h.boxes.answers = {platform::IDNO};
    h.Command(res::ID_FILE_DELETE);
    ASSERT_EQ(h.boxes.calls.size(), 1u);
    EXPECT_EQ(h.boxes.calls[0].text, "3 Datei(en) werden gel\xF6scht. Fortfahren?");
    EXPECT_EQ(h.boxes.calls[0].caption, "Sonadex Pro");
    EXPECT_EQ(h.boxes.calls[0].flags, platform::MB_YESNO | platform::MB_ICONQUESTION);
    EXPECT_EQ(h.SelectedRowNames(), (std::vector<std::string>{"a.mp3", "b.mp3", "d.mp3"})) << "no refill";
    EXPECT_TRUE(h.machine.Exists("f/a.mp3"));

    h.boxes.answers = {platform::IDYES};
    h.Command(res::ID_FILE_DELETE);
    EXPECT_EQ(h.RowNames(), std::vector<std::string>{"c.mp3"});
    EXPECT_FALSE(h.machine.Exists("f/a.mp3"));
    EXPECT_FALSE(h.machine.Exists("f/d.mp3"));
}

TEST(ViewCommands, PlayOpensTheMarkedFile)
{
    ViewHarness h;
    h.machine.WriteFile("f/a.mp3", Untagged());
    h.machine.WriteFile("f/b.mp3", Untagged());
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    h.View().FileList()->setCurrentItem(nullptr);
    h.Command(res::ID_FILE_PLAY);
    EXPECT_TRUE(h.shellOpened.empty());

    h.SelectRows({"b.mp3"});
    h.Command(res::ID_FILE_PLAY);
    EXPECT_EQ(h.shellOpened, std::vector<std::string>{"C:\\f\\b.mp3"});
}

TEST(ViewCommands, DoubleClickRefillsOnlyWhenTheEditorChangedSomething)
{
    ViewHarness h;
    h.machine.WriteFile("f/a.mp3", Tagged(Tag("A", "T")));
    h.machine.WriteFile("f/b.mp3", Untagged());
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    h.SelectRows({"a.mp3", "b.mp3"});

    ScriptEditor("", "", false);
    h.View().OnListDoubleClick();
    EXPECT_EQ(h.SelectedRowNames().size(), 2u) << "closed without change: list untouched";

    ScriptEditor("Z", "Y", true);
    h.View().OnListDoubleClick(); // the mark is b.mp3, the row selected last
    EXPECT_TRUE(h.SelectedRowNames().empty());
    EXPECT_EQ(h.machine.ReadFile("f/b.mp3").size(), 1024u + 128u);
}

// The keys act on the list's selection wherever the focus is in the window.
TEST(ViewCommands, DeleteAndRenameKeysWorkWithTheTreeFocused)
{
    ViewHarness h;
    h.machine.WriteFile("f/a.mp3", Tagged(Tag("K", "1")));
    h.machine.WriteFile("f/b.mp3", Tagged(Tag("K", "2")));
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    QTreeWidget* tree = h.View().FolderTree();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.Frame()));
    tree->setFocus();

    h.SelectRows({"a.mp3"});
    h.boxes.answers = {platform::IDNO};
    QTest::keyClick(tree, Qt::Key_Delete);
    ASSERT_EQ(h.boxes.calls.size(), 1u);
    EXPECT_EQ(h.boxes.calls[0].text.substr(0, 2), "1 ");

    QTest::keyClick(tree, Qt::Key_F2);
    EXPECT_EQ(h.RowNames(), (std::vector<std::string>{"b.mp3", "K - 1.mp3"}));
    EXPECT_EQ(h.View().m_strFolder, "C:\\f");
}

// A file with no write bit is read-only for root too: Remove tag and Delete
// leave it as it is, go on with the other rows and say which file failed and
// why (a language text the test languages lack, so its English fallback).
TEST(ViewCommands, RemoveTagAndDeleteReportAReadOnlyFile)
{
    const struct {
        const char* what;
        int command;
        std::vector<int> answers;
        const char* heading;
        bool otherKept;
    } cases[] = {
        {"remove tag", res::ID_FILE_REMOVE_ID3, {}, "The tag could not be removed from these files:", true},
        {"delete", res::ID_FILE_DELETE, {platform::IDYES}, "These files could not be deleted:", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ViewHarness h;
        const std::string tagged = Tagged(Tag("A", "T"));
        h.machine.WriteFile("f/ro.mp3", tagged);
        h.machine.WriteFile("f/rw.mp3", tagged);
        chmod(h.machine.Host("f/ro.mp3").c_str(), 0444);
        ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
        h.SelectRows({"ro.mp3", "rw.mp3"});
        h.boxes.answers = {c.answers.begin(), c.answers.end()};

        h.Command(c.command);

        EXPECT_EQ(h.machine.ReadFile("f/ro.mp3"), tagged);
        EXPECT_EQ(h.machine.Exists("f/rw.mp3"), c.otherKept);
        if (c.otherKept) {
            EXPECT_EQ(h.machine.ReadFile("f/rw.mp3"), tagged.substr(0, tagged.size() - 128));
        }
        ASSERT_FALSE(h.boxes.calls.empty());
        const platform::MessageBoxCall& report = h.boxes.calls.back();
        EXPECT_EQ(report.text, std::string(c.heading) + "\nC:\\f\\ro.mp3: " + std::strerror(EACCES));
        EXPECT_EQ(report.flags, platform::MB_OK | platform::MB_ICONSTOP);
        const std::vector<std::string> rows = h.RowNames();
        EXPECT_NE(std::find(rows.begin(), rows.end(), "ro.mp3"), rows.end());
    }
}

// Rename all never renames through a link that leads outside the folder:
// it names the links it passed by, then reports its count.
TEST(ViewCommands, RenameAllNamesLinksLeadingOutside)
{
    ViewHarness h;
    h.machine.WriteFile("f/one.mp3", Tagged(Tag("A", "1")));
    h.machine.WriteFile("outside/dir/two.mp3", Tagged(Tag("B", "2")));
    h.machine.WriteFile("outside/three.mp3", Tagged(Tag("C", "3")));
    std::filesystem::create_directory_symlink("../outside/dir", h.machine.Host("f/dir"));
    std::filesystem::create_symlink("../outside/three.mp3", h.machine.Host("f/three.mp3"));
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    h.boxes.answers = {platform::IDYES, platform::IDOK, platform::IDOK};

    h.Command(res::ID_FILE_RENAME_ALL);

    ASSERT_EQ(h.boxes.calls.size(), 3u);
    EXPECT_EQ(h.boxes.calls[1].text, "These links lead outside the folder and were skipped:\nC:\\f\\dir\nC:\\f\\three.mp3");
    EXPECT_EQ(h.boxes.calls[1].flags, platform::MB_OK | platform::MB_ICONEXCLAMATION);
    EXPECT_EQ(h.boxes.calls[2].text, "1 Dateien bearbeitet.");
    EXPECT_TRUE(h.machine.Exists("f/A - 1.mp3"));
    EXPECT_TRUE(h.machine.Exists("outside/dir/two.mp3"));
    EXPECT_TRUE(h.machine.Exists("f/three.mp3"));
}

// A name outside the code page shows as the host spells it and its row acts
// on its own file, never on the file the code page would map it to.
TEST(ViewCommands, RowsOfNamesOutsideTheCodePageAddressTheirOwnFiles)
{
    ViewHarness h;
    const std::string tagged = Tagged(Tag("A", "T"));
    const std::string omega = "a\xCE\xA9.mp3", latin1 = "caf\xE9.mp3";
    for (const std::string& name : {omega, std::string("a?.mp3"), latin1, std::string("caf\xC3\xA9.mp3")})
        h.machine.WriteFile("f/" + name, tagged);
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));

    const QTreeWidget* list = h.View().FileList();
    QStringList shown;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        shown << list->topLevelItem(row)->text(0);
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"a?.mp3", QString::fromUtf8("a\xCE\xA9.mp3"), QString::fromUtf8("caf\xC3\xA9.mp3"),
                                  QString::fromUtf8("caf\xEF\xBF\xBD.mp3")}));

    h.SelectRows({latin1});
    h.Command(res::ID_FILE_REMOVE_ID3);
    EXPECT_EQ(h.machine.ReadFile("f/" + latin1).size(), tagged.size() - 128);
    EXPECT_EQ(h.machine.ReadFile("f/caf\xC3\xA9.mp3"), tagged);

    h.SelectRows({omega});
    h.boxes.answers = {platform::IDYES};
    h.Command(res::ID_FILE_DELETE);
    EXPECT_FALSE(h.machine.Exists("f/" + omega));
    EXPECT_EQ(h.machine.ReadFile("f/a?.mp3"), tagged);

    // The tag editor saves into the row's own file.
    h.SelectRows({"caf\xC3\xA9.mp3"});
    ScriptEditor("Edited", "T", true);
    h.View().OnListDoubleClick();
    EXPECT_EQ(h.machine.ReadFile("f/caf\xC3\xA9.mp3").substr(tagged.size() - 128 + 33, 6), "Edited");
    EXPECT_EQ(h.machine.ReadFile("f/a?.mp3"), tagged);
    EXPECT_EQ(h.machine.ReadFile("f/" + latin1).size(), tagged.size() - 128);
}

// Rename and Rename all move the files they list, by names made from the
// tags' code-page text in UTF-8, and every such name opens again.
TEST(ViewCommands, RenamesFromTagsGiveNamesThatOpenAgain)
{
    ViewHarness h;
    h.machine.WriteFile("f/a\xCE\xA9.mp3", Tagged(Tag("\xC4rzte", "One")));  // Ärzte in cp1252
    h.machine.WriteFile("f/a?.mp3", Tagged(Tag("Caf\xE9", "Two")));
    h.machine.WriteFile("f/sub/caf\xE9.mp3", Tagged(Tag("X\x81", "Three"))); // a byte cp1252 leaves undefined
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));

    h.SelectRows({"a\xCE\xA9.mp3"});
    h.Command(res::ID_FILE_RENAME);
    EXPECT_TRUE(h.machine.Exists("f/\xC3\x84rzte - One.mp3"));
    EXPECT_TRUE(h.machine.Exists("f/a?.mp3"));

    h.boxes.answers = {platform::IDYES, platform::IDOK};
    h.Command(res::ID_FILE_RENAME_ALL);
    EXPECT_TRUE(h.machine.Exists("f/Caf\xC3\xA9 - Two.mp3"));
    EXPECT_TRUE(h.machine.Exists("f/sub/X\xC2\x81 - Three.mp3"));
    const std::vector<std::string> rows = h.RowNames();
    EXPECT_NE(std::find(rows.begin(), rows.end(), "\xC3\x84rzte - One.mp3"), rows.end());
    // The file list reads the renamed file again: it matches its pattern.
    const QTreeWidget* list = h.View().FileList();
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        EXPECT_EQ(list->topLevelItem(row)->data(0, CSonadexView::kImageRole).toInt(), 0) << h.RowNames()[row];
}

// The context menu runs the window's own commands: the same handler, the
// same question, the same refill.
TEST(ViewCommands, ContextMenuItemsRunTheWindowsCommands)
{
    ViewHarness h;
    for (const char* name : {"a.mp3", "b.mp3"})
        h.machine.WriteFile(std::string("f/") + name, Untagged());
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    h.SelectRows({"a.mp3"});
    const std::unique_ptr<QMenu> menu = h.View().CreateContextMenu();
    const auto item = [&menu](int id) {
        const QList<QAction*> actions = menu->actions();
        const auto found = std::find_if(actions.begin(), actions.end(),
                                        [id](const QAction* action) { return action->data().toInt() == id; });
        return found == actions.end() ? nullptr : *found;
    };

    ASSERT_NE(item(res::ID_FILE_PLAY), nullptr);
    item(res::ID_FILE_PLAY)->trigger();
    EXPECT_EQ(h.shellOpened, std::vector<std::string>{"C:\\f\\a.mp3"});

    h.boxes.answers = {platform::IDYES};
    ASSERT_NE(item(res::ID_FILE_DELETE), nullptr);
    item(res::ID_FILE_DELETE)->trigger();
    ASSERT_EQ(h.boxes.calls.size(), 1u);
    EXPECT_EQ(h.boxes.calls[0].text, "1 Datei(en) werden gel\xF6scht. Fortfahren?");
    EXPECT_FALSE(h.machine.Exists("f/a.mp3"));
    EXPECT_EQ(h.RowNames(), std::vector<std::string>{"b.mp3"});
}

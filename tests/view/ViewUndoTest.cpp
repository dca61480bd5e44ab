// Undo from the window: every file command journals what it changes, and Undo
// takes the newest operation of either program back, byte for byte, naming
// any file it leaves alone.
#include "ViewHarness.h"

#include "app/MainFrame.h"
#include "journal/JournalStore.h"
#include "language/TextIds.h"
#include "ops/TagChange.h"
#include "tag/Id3v1Tag.h"
#include "view/Resource.h"
#include "view/SonadexView.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr char kJournalHeading[] = "The undo journal cannot be written, so the operation stopped here:\n";

TagSpec Tag(const std::string& artist, const std::string& title)
{
    return {.title = title, .artist = artist};
}

// Every file below the machine's folder rel: its path relative to it, and its
// length and a hash of its bytes (short enough to read in a failure).
std::map<std::string, std::string> Tree(const TempMachine& machine, const std::string& rel)
{
    std::map<std::string, std::string> files;
    const fs::path root = machine.Host(rel);
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        if (!item.is_regular_file()) continue;
        const std::string name = fs::relative(item.path(), root).string();
        const std::string bytes = machine.ReadFile(rel + "/" + name);
        files[name] = std::to_string(bytes.size()) + " bytes, hash " + std::to_string(std::hash<std::string>{}(bytes));
    }
    return files;
}

// The names in the home trash's files/ and info/ folders.
std::vector<std::string> TrashContents(const TempMachine& machine)
{
    std::vector<std::string> names;
    for (const char* part : {"files", "info"}) {
        const fs::path folder = fs::path(machine.DataHome()) / "Trash" / part;
        std::error_code ec;
        for (const auto& item : fs::directory_iterator(folder, ec))
            names.push_back(std::string(part) + "/" + item.path().filename().string());
    }
    return names;
}

// The test folder f: a tagged file, an untagged one, a tagged one in a subfolder.
void WriteFolder(const TempMachine& machine)
{
    machine.WriteFile("f/a.mp3", Tagged(Tag("A", "1")));
    machine.WriteFile("f/b.mp3", Untagged());
    machine.WriteFile("f/sub/c.mp3", Tagged(Tag("C", "3"), 3000));
}

// Scripts the tag editor: types artist and title, saves, optionally renames, closes.
void ScriptEditor(std::string artist, std::string title, bool rename = false)
{
    WhenModal([artist, title, rename](QWidget* dialog) {
        dialog->findChild<QLineEdit*>("artistEdit")->setText(QString::fromStdString(artist));
        dialog->findChild<QLineEdit*>("titleEdit")->setText(QString::fromStdString(title));
        dialog->findChild<QPushButton*>("saveButton")->click();
        if (rename) dialog->findChild<QPushButton*>("renameButton")->click();
        dialog->findChild<QPushButton*>("closeButton")->click();
    });
}

// Scripts MultiTag: the artist into every file of the folder and its subfolders.
// A dialog still up after OK (its files not written) is cancelled.
void ScriptMultiTag(std::string artist)
{
    WhenModal([artist](QWidget* dialog) {
        dialog->findChild<QCheckBox*>("artistCheck")->setChecked(true);
        dialog->findChild<QLineEdit*>("artistEdit")->setText(QString::fromStdString(artist));
        dialog->findChild<QCheckBox*>("subfolderCheck")->setChecked(true);
        dialog->findChild<QPushButton*>("okButton")->click();
        if (dialog->isVisible()) dialog->findChild<QPushButton*>("cancelButton")->click();
    });
}

// Runs a window command on the harness: selection, answers and scripts included.
using WindowOperation = std::function<void(ViewHarness&)>;

WindowOperation OnRows(std::vector<std::string> rows, int command, std::vector<int> answers = {})
{
    return [rows, command, answers](ViewHarness& h) {
        h.SelectRows(rows);
        h.boxes.answers = {answers.begin(), answers.end()};
        h.Command(command);
    };
}

void Undo(ViewHarness& h)
{
    h.Command(res::ID_FILE_UNDO);
}

std::string LastBox(const ViewHarness& h)
{
    return h.boxes.calls.empty() ? std::string() : h.boxes.calls.back().text;
}

struct RoundTrip {
    const char* what;
    bool prompt;
    WindowOperation run;
    // Undo's message. It names the operation by its caption in the language
    // file (this one has Rename and Save), else by the journal's command.
    const char* report;
};

const RoundTrip kRoundTrips[] = {
    {"remove tag", false, OnRows({"a.mp3", "b.mp3"}, res::ID_FILE_REMOVE_ID3),
     "Undone: remove-tag (1 file restored, 0 skipped)"},
    {"delete", false, OnRows({"a.mp3", "b.mp3"}, res::ID_FILE_DELETE, {platform::IDYES}),
     "Undone: delete (2 files restored, 0 skipped)"},
    {"rename", false, OnRows({"a.mp3"}, res::ID_FILE_RENAME), "Undone: Umbenennen (1 file restored, 0 skipped)"},
    {"rename all with subfolders", false, OnRows({}, res::ID_FILE_RENAME_ALL, {platform::IDYES, platform::IDOK}),
     "Undone: rename-all (2 files restored, 0 skipped)"},
    {"rename all of the list", false, OnRows({}, res::ID_FILE_RENAME_ALL, {platform::IDNO}),
     "Undone: rename-all (1 file restored, 0 skipped)"},
    // The editor prompted for b.mp3 saves a tag into the same operation, which then names the file.
    {"rename all prompting the editor", true,
     [](ViewHarness& h) {
         ScriptEditor("New", "Song");
         OnRows({}, res::ID_FILE_RENAME_ALL, {platform::IDYES, platform::IDOK})(h);
     },
     "Undone: rename-all (4 files restored, 0 skipped)"},
    {"multitag", false,
     [](ViewHarness& h) {
         ScriptMultiTag("Z");
         h.Command(res::ID_FILE_MULTITAG);
     },
     "Undone: multitag (3 files restored, 0 skipped)"},
    {"tag editor save", false,
     [](ViewHarness& h) {
         h.SelectRows({"b.mp3"});
         ScriptEditor("Z", "Y");
         h.View().OnListDoubleClick();
     },
     "Undone: Speichern (1 file restored, 0 skipped)"},
};

} // namespace

TEST(ViewUndo, EveryFileCommandIsTakenBackByteForByte)
{
    for (const RoundTrip& c : kRoundTrips) {
        SCOPED_TRACE(c.what);
        ViewHarness h;
        WriteFolder(h.machine);
        ASSERT_TRUE(h.Start({.prompt = c.prompt ? "TRUE" : "FALSE", .lastPath = "C:\\f"}));
        const auto before = Tree(h.machine, "f");

        c.run(h);
        ASSERT_NE(Tree(h.machine, "f"), before) << "the command changed nothing";
        // One entry of the window's, on the current folder by its host path.
        const auto entries = journal::CJournalStore(journal::CJournalStore::DefaultFolder()).List();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].header.program, "sonadex");
        EXPECT_EQ(entries[0].header.folder, h.machine.Host("f"));
        EXPECT_TRUE(entries[0].finished);
        Undo(h);

        EXPECT_EQ(LastBox(h), c.report);
        EXPECT_EQ(Tree(h.machine, "f"), before);
        EXPECT_EQ(TrashContents(h.machine), std::vector<std::string>{});
        EXPECT_EQ(h.RowNames(), (std::vector<std::string>{"a.mp3", "b.mp3"})) << "the list shows the files back";
    }
}

// The editor's Save and its Rename are two operations: Undo takes back the
// rename, a second Undo the save, a third finds nothing.
TEST(ViewUndo, EditorSaveAndRenameComeBackOneAtATime)
{
    ViewHarness h;
    WriteFolder(h.machine);
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    const auto before = Tree(h.machine, "f");
    h.SelectRows({"a.mp3"});
    ScriptEditor("Neu", "Lied", true);
    h.View().OnListDoubleClick();
    ASSERT_TRUE(h.machine.Exists("f/Neu - Lied.mp3"));

    Undo(h);
    EXPECT_EQ(LastBox(h), "Undone: Umbenennen (1 file restored, 0 skipped)");
    EXPECT_TRUE(h.machine.Exists("f/a.mp3"));
    EXPECT_NE(Tree(h.machine, "f").at("a.mp3"), before.at("a.mp3")) << "the save is still in effect";

    Undo(h);
    EXPECT_EQ(LastBox(h), "Undone: Speichern (1 file restored, 0 skipped)");
    EXPECT_EQ(Tree(h.machine, "f"), before);

    Undo(h);
    EXPECT_EQ(LastBox(h), "Nothing to undo.");
}

// A file changed after the operation is never overwritten: it is skipped and
// named with the reason, the others come back.
TEST(ViewUndo, AFileChangedSinceIsSkippedAndNamed)
{
    ViewHarness h;
    WriteFolder(h.machine);
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    const auto before = Tree(h.machine, "f");
    ScriptMultiTag("Z");
    h.Command(res::ID_FILE_MULTITAG);
    const std::string later = Tagged(Tag("Later", "Edit"), 3000);
    h.machine.WriteFile("f/sub/c.mp3", later);

    Undo(h);

    ASSERT_FALSE(h.boxes.calls.empty());
    EXPECT_EQ(h.boxes.calls.back().text,
              "Undone: multitag (2 files restored, 1 skipped)\nC:\\f\\sub\\c.mp3: it was changed since");
    EXPECT_EQ(h.boxes.calls.back().flags, platform::MB_OK | platform::MB_ICONEXCLAMATION);
    EXPECT_EQ(h.machine.ReadFile("f/sub/c.mp3"), later);
    EXPECT_EQ(Tree(h.machine, "f").at("a.mp3"), before.at("a.mp3"));
    EXPECT_EQ(Tree(h.machine, "f").at("b.mp3"), before.at("b.mp3"));
}

// In the chosen language the report's line, its singular for one file and
// each skipped file's reason are that language's texts.
TEST(ViewUndo, TheReportSpeaksTheChosenLanguage)
{
    ViewHarness h;
    WriteFolder(h.machine);
    std::map<int, std::string> texts = GermanTexts();
    texts[text::kUndone] = "R\xFC"
                           "ckg\xE4ngig gemacht: %1 (%2 Dateien wiederhergestellt, %3 \xFC"
                           "bersprungen)";
    texts[text::kUndoneOne] = "R\xFC"
                              "ckg\xE4ngig gemacht: %1 (1 Datei wiederhergestellt, %3 \xFC"
                              "bersprungen)";
    texts[text::kUndoChangedSince] = "sie wurde seitdem ge\xE4ndert";
    texts[text::kMultiTag] = "MultiTag";
    h.WriteLanguage("Deutsch2", texts);
    ASSERT_TRUE(h.Start({.language = "Deutsch2", .lastPath = "C:\\f"}));
    ScriptMultiTag("Z");
    h.Command(res::ID_FILE_MULTITAG);
    h.machine.WriteFile("f/sub/c.mp3", Tagged(Tag("Later", "Edit"), 3000));

    Undo(h);
    EXPECT_EQ(LastBox(h), "Rückgängig gemacht: MultiTag (2 Dateien wiederhergestellt, 1 übersprungen)\n"
                          "C:\\f\\sub\\c.mp3: sie wurde seitdem geändert");

    OnRows({"a.mp3"}, res::ID_FILE_RENAME)(h);
    Undo(h);
    EXPECT_EQ(LastBox(h), "Rückgängig gemacht: Umbenennen (1 Datei wiederhergestellt, 0 übersprungen)");
}

// A file Delete could not move (read-only) stays journalled as about to go;
// Undo leaves it alone without calling it skipped and brings the other back.
TEST(ViewUndo, ADeleteThatFailedForOneFileBringsBackTheOther)
{
    ViewHarness h;
    WriteFolder(h.machine);
    chmod(h.machine.Host("f/a.mp3").c_str(), 0444);
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    const auto before = Tree(h.machine, "f");
    OnRows({"a.mp3", "b.mp3"}, res::ID_FILE_DELETE, {platform::IDYES})(h);
    ASSERT_FALSE(h.machine.Exists("f/b.mp3"));
    ASSERT_TRUE(h.machine.Exists("f/a.mp3"));

    Undo(h);

    EXPECT_EQ(LastBox(h), "Undone: delete (1 file restored, 0 skipped)");
    EXPECT_EQ(Tree(h.machine, "f"), before);
    EXPECT_EQ(TrashContents(h.machine), std::vector<std::string>{});
}

// The journal is shared: Undo takes the command line's newer operation back
// first, then the window's, then says there is nothing left.
TEST(ViewUndo, TakesBackTheNewestOperationOfEitherProgram)
{
    ViewHarness h;
    WriteFolder(h.machine);
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    const auto before = Tree(h.machine, "f");
    Undo(h);
    EXPECT_EQ(LastBox(h), "Nothing to undo.");
    EXPECT_EQ(h.boxes.calls.back().flags, platform::MB_OK | platform::MB_ICONINFORMATION);

    OnRows({"a.mp3"}, res::ID_FILE_REMOVE_ID3)(h);
    {
        const journal::CJournalStore store(journal::CJournalStore::DefaultFolder());
        const auto entry = store.Begin({"sonadex-cli", "set", h.machine.Host("f"), {}});
        const TagChangeResult result = ChangeTag(
            "C:\\f\\b.mp3",
            [](CId3v1Tag& tag) {
                tag.Set(Field::Artist, "Cli");
                return false;
            },
            false, entry.get());
        ASSERT_TRUE(result.outcome.ok);
    }

    Undo(h);
    EXPECT_EQ(LastBox(h), "Undone: Speichern (1 file restored, 0 skipped)");
    EXPECT_EQ(Tree(h.machine, "f").at("b.mp3"), before.at("b.mp3"));
    EXPECT_NE(Tree(h.machine, "f").at("a.mp3"), before.at("a.mp3"));
    Undo(h);
    EXPECT_EQ(LastBox(h), "Undone: remove-tag (1 file restored, 0 skipped)");
    EXPECT_EQ(Tree(h.machine, "f"), before);
    Undo(h);
    EXPECT_EQ(LastBox(h), "Nothing to undo.");
}

// With a journal that cannot be written every command stops before it
// changes a file, and says why.
TEST(ViewUndo, WithoutAWritableJournalNothingChanges)
{
    const struct {
        const char* what;
        WindowOperation run;
    } cases[] = {
        {"remove tag", OnRows({"a.mp3"}, res::ID_FILE_REMOVE_ID3)},
        {"delete", OnRows({"a.mp3", "b.mp3"}, res::ID_FILE_DELETE, {platform::IDYES})},
        {"rename", OnRows({"a.mp3"}, res::ID_FILE_RENAME)},
        {"rename all", OnRows({}, res::ID_FILE_RENAME_ALL, {platform::IDYES})},
        {"multitag",
         [](ViewHarness& h) {
             ScriptMultiTag("Z");
             h.Command(res::ID_FILE_MULTITAG);
         }},
        {"tag editor save and rename",
         [](ViewHarness& h) {
             h.SelectRows({"a.mp3"});
             ScriptEditor("Z", "Y", true);
             h.View().OnListDoubleClick();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ViewHarness h;
        WriteFolder(h.machine);
        ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
        // The journal's folder cannot be made below a plain file.
        h.machine.WriteFile("blocker", "");
        setenv("XDG_STATE_HOME", h.machine.Host("blocker").c_str(), 1);
        const auto before = Tree(h.machine, "f");

        c.run(h);

        EXPECT_EQ(Tree(h.machine, "f"), before);
        EXPECT_EQ(TrashContents(h.machine), std::vector<std::string>{});
        const auto journalBox = std::find_if(h.boxes.calls.begin(), h.boxes.calls.end(),
                                             [](const auto& call) { return call.text.starts_with(kJournalHeading); });
        ASSERT_NE(journalBox, h.boxes.calls.end());
        EXPECT_NE(journalBox->text.find("Not a directory"), std::string::npos) << journalBox->text;
        EXPECT_EQ(journalBox->flags, platform::MB_OK | platform::MB_ICONSTOP);
    }
}

TEST(ViewUndo, CtrlZMenuEntryAndToolbarButtonRunIt)
{
    ViewHarness h;
    WriteFolder(h.machine);
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    QAction* undo = h.Frame().CommandAction(res::ID_FILE_UNDO);
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_TRUE(h.Frame().m_wndToolBar->actions().contains(undo));
    const QList<QAction*> fileMenu = h.Frame().menuBar()->actions().at(0)->menu()->actions();
    EXPECT_TRUE(fileMenu.contains(undo));

    const auto before = Tree(h.machine, "f");
    OnRows({"a.mp3"}, res::ID_FILE_RENAME)(h);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&h.Frame()));
    QTest::keyClick(h.View().FolderTree(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(LastBox(h), "Undone: Umbenennen (1 file restored, 0 skipped)");
    EXPECT_EQ(Tree(h.machine, "f"), before);
}

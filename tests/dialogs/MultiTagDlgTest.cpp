// MultiTag driven through its widgets, offscreen, on a temporary drive.
#include "dialogs/MultiTagDlg.h"

#include "../tag/TagBytes.h"
#include "GuiTestSupport.h"
#include "ProgressCancel.h"
#include "TempMachine.h"
#include "dialogs/ProgressWindow.h"
#include "journal/Undo.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "table/TableFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <map>
#include <set>
#include <vector>

namespace {

using guitest::Child;
using guitest::MakeLanguageFile;
using guitest::RunModalScript;

using tagbytes::MakeRecord;
using tagbytes::RecordFields;
using tagbytes::SilentFrames;
using tagbytes::Pad;
using tagbytes::kArtistAt;
using tagbytes::kGenreAt;
using tagbytes::kTitleAt;

class MultiTagDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tm.MakeDir("lang");
        MakeLanguageFile(tm.Sys("lang/Deutsch.qzd"), {{45, "Unterverzeichnisse einbeziehen"},
                                                      {60, "Dateien bearbeitet"},
                                                      {65, "Interpret"},
                                                      {66, "Titel"},
                                                      {67, "Album"},
                                                      {68, "Jahr"},
                                                      {69, "Genre"},
                                                      {70, "Kommentar"},
                                                      {90, "OK"},
                                                      {91, "Abbrechen"},
                                                      {135, "%1 Dateien oder Ordner nicht bearbeitet:"},
                                                      {136, "1 Datei oder Ordner nicht bearbeitet:"},
                                                      {161, "nicht schreibbar"},
                                                      {163, "Link f\xFChrt hinaus"}});
        ASSERT_TRUE(language.Load(tm.Sys("lang/Deutsch.qzd")));
    }

    // Writes the files and returns their bytes by name, to compare afterwards.
    std::map<std::string, std::string> WriteFiles(const std::map<std::string, std::string>& files)
    {
        for (const auto& [name, bytes] : files)
            tm.WriteFile(name, bytes);
        return files;
    }
    static std::string Field(const std::string& file, std::size_t at, std::size_t width)
    {
        return file.substr(file.size() - 128 + at, width);
    }

    TempMachine tm;
    CTableFile language;
    guitest::MessageBoxRecorder boxes;
    const std::string audio = SilentFrames(2);
};

TEST_F(MultiTagDlgTest, OnlyLowerCaseMp3FilesAreWrittenAndCounted)
{
    const auto before = WriteFiles({{"Musik/a.mp3", audio}, {"Musik/B.MP3", audio}, {"Musik/c.txt", "text"}});
    CMultiTagDlg dlg(tm.Sys("Musik"), language);
    const int result = RunModalScript(dlg, [&] {
        EXPECT_EQ(dlg.windowTitle(), "MultiTag - C:\\Musik");
        EXPECT_EQ(Child<QCheckBox>(dlg, "artistCheck").text(), "Interpret");
        EXPECT_EQ(Child<QCheckBox>(dlg, "subfolderCheck").text(), "Unterverzeichnisse einbeziehen");
        EXPECT_EQ(Child<QPushButton>(dlg, "cancelButton").text(), "Abbrechen");
        EXPECT_EQ(Child<QComboBox>(dlg, "genreBox").currentIndex(), -1);
        Child<QCheckBox>(dlg, "artistCheck").setChecked(true);
        QTest::keyClicks(&Child<QLineEdit>(dlg, "artistEdit"), "Kraftwerk");
        QTest::keyClick(&Child<QLineEdit>(dlg, "artistEdit"), Qt::Key_Return); // OK is the default
    });
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "1 Dateien bearbeitet");
    EXPECT_EQ(boxes.calls[0].caption, "Sonadex Pro");
    EXPECT_EQ(boxes.calls[0].flags, platform::MB_ICONINFORMATION | platform::MB_OK);
    const std::string a = tm.ReadFile("Musik/a.mp3");
    ASSERT_EQ(a.size(), audio.size() + 128);
    EXPECT_EQ(Field(a, kArtistAt, 30), Pad("Kraftwerk", 30));
    EXPECT_EQ(Field(a, kTitleAt, 30), Pad("", 30));
    EXPECT_EQ(tm.ReadFile("Musik/B.MP3"), before.at("Musik/B.MP3"));
    EXPECT_EQ(tm.ReadFile("Musik/c.txt"), before.at("Musik/c.txt"));
}

TEST_F(MultiTagDlgTest, ChosenFieldsWithEmptyValuesBlankTheFieldOrClearTheGenre)
{
    WriteFiles({{"Musik/a.mp3", audio + MakeRecord({"Eins", "Kraftwerk", "Alb", "1974", "", 17})},
                {"Musik/b.mp3", audio + MakeRecord({"Zwei", "Neu!", "Alb", "1975", "", 52})}});
    CMultiTagDlg dlg(tm.Sys("Musik"), language);
    RunModalScript(dlg, [&] {
        Child<QCheckBox>(dlg, "artistCheck").setChecked(true);
        Child<QCheckBox>(dlg, "genreCheck").setChecked(true);
        Child<QPushButton>(dlg, "okButton").click();
    });
    for (const char* name : {"Musik/a.mp3", "Musik/b.mp3"}) {
        SCOPED_TRACE(name);
        const std::string file = tm.ReadFile(name);
        ASSERT_EQ(file.size(), audio.size() + 128);
        EXPECT_EQ(Field(file, kArtistAt, 30), Pad("", 30));
        EXPECT_EQ(static_cast<unsigned char>(file[file.size() - 128 + kGenreAt]), 255);
        EXPECT_EQ(Field(file, 63, 3), "Alb"); // fields not chosen keep their bytes
    }
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].text, "2 Dateien bearbeitet");
}

// A chosen field the code page cannot hold stops OK before any file is
// touched; the same text in a field not chosen is no obstacle. Bytes the page
// leaves undefined (U+0081 stands for 0x81) are written as themselves.
TEST_F(MultiTagDlgTest, ChosenTextTheCodePageCannotHoldIsRefused)
{
    const auto before = WriteFiles({{"Musik/a.mp3", audio + MakeRecord({"Eins", "Kraftwerk", "Alb", "1974", "", 17})}});
    CMultiTagDlg dlg(tm.Sys("Musik"), language);
    const int result = RunModalScript(dlg, [&] {
        Child<QCheckBox>(dlg, "artistCheck").setChecked(true);
        Child<QLineEdit>(dlg, "artistEdit").setText(QString::fromUtf8("\xC5\x81\xC3\xB3" "d\xC5\xBA"));
        Child<QCheckBox>(dlg, "titleCheck").setChecked(true);
        Child<QLineEdit>(dlg, "titleEdit").setText(QString::fromUtf8("A\xC2\x81Z"));
        Child<QPushButton>(dlg, "okButton").click();
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].text,
                  "Interpret: the character '\xC5\x81' is not in code page 1252 and cannot be stored.");
        EXPECT_EQ(boxes.calls[0].flags, platform::MB_ICONSTOP | platform::MB_OK);
        EXPECT_EQ(tm.ReadFile("Musik/a.mp3"), before.at("Musik/a.mp3"));
        Child<QCheckBox>(dlg, "artistCheck").setChecked(false);
        Child<QPushButton>(dlg, "okButton").click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[1].text, "1 Dateien bearbeitet");
    const std::string file = tm.ReadFile("Musik/a.mp3");
    EXPECT_EQ(Field(file, kTitleAt, 30), Pad("A\x81Z", 30));
    EXPECT_EQ(Field(file, kArtistAt, 30), Field(before.at("Musik/a.mp3"), kArtistAt, 30)); // zero-padded still
}

TEST_F(MultiTagDlgTest, SubfoldersAreEnteredOnlyWhenChosen)
{
    for (const bool recurse : {false, true}) {
        SCOPED_TRACE(recurse ? "with subfolders" : "without subfolders");
        WriteFiles({{"Musik/a.mp3", audio}, {"Musik/Live/b.mp3", audio}, {"Musik/Live/Tief/c.mp3", audio}});
        boxes.calls.clear();
        CMultiTagDlg dlg(tm.Sys("Musik"), language);
        RunModalScript(dlg, [&] {
            Child<QCheckBox>(dlg, "yearCheck").setChecked(true);
            QTest::keyClicks(&Child<QLineEdit>(dlg, "yearEdit"), "2001");
            Child<QCheckBox>(dlg, "subfolderCheck").setChecked(recurse);
            Child<QPushButton>(dlg, "okButton").click();
        });
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].text, recurse ? "3 Dateien bearbeitet" : "1 Dateien bearbeitet");
        EXPECT_EQ(tm.ReadFile("Musik/Live/Tief/c.mp3").size(), audio.size() + (recurse ? 128 : 0));
    }
}

TEST_F(MultiTagDlgTest, CancelTouchesNothing)
{
    const struct {
        const char* how;
        std::function<void(CMultiTagDlg&)> leave;
    } cases[] = {
        {"Abbrechen", [](CMultiTagDlg& dlg) { Child<QPushButton>(dlg, "cancelButton").click(); }},
        {"Escape", [](CMultiTagDlg& dlg) { QTest::keyClick(&Child<QLineEdit>(dlg, "titleEdit"), Qt::Key_Escape); }},
        {"close box", [](CMultiTagDlg& dlg) { dlg.close(); }},
    };
    const auto before = WriteFiles(
        {{"Musik/a.mp3", audio + MakeRecord({"Eins", "Kraftwerk", "", "", "", 17})}, {"Musik/b.mp3", audio}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        CMultiTagDlg dlg(tm.Sys("Musik"), language);
        const int result = RunModalScript(dlg, [&] {
            Child<QCheckBox>(dlg, "titleCheck").setChecked(true);
            QTest::keyClicks(&Child<QLineEdit>(dlg, "titleEdit"), "Neu");
            c.leave(dlg);
        });
        EXPECT_EQ(result, QDialog::Rejected);
        for (const auto& [name, bytes] : before)
            EXPECT_EQ(tm.ReadFile(name), bytes) << name;
    }
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(MultiTagDlgTest, FilesThatCouldNotBeTaggedAreNamedAfterTheCount)
{
    WriteFiles({{"Musik/a.mp3", audio}, {"Musik/b.mp3", audio}});
    CMultiTagDlg dlg(tm.Sys("Musik"), language);
    RunModalScript(dlg, [&] {
        Child<QCheckBox>(dlg, "commentCheck").setChecked(true);
        platform::CFile holder; // another opener holds b.mp3
        ASSERT_TRUE(holder.Open(tm.Sys("Musik/b.mp3"), platform::CFile::modeRead));
        Child<QPushButton>(dlg, "okButton").click();
    });
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[0].text, "1 Dateien bearbeitet");
    EXPECT_EQ(boxes.calls[1].flags, platform::MB_ICONEXCLAMATION | platform::MB_OK);
    EXPECT_TRUE(boxes.calls[1].text.starts_with("1 Datei oder Ordner nicht bearbeitet:\nC:\\Musik\\b.mp3 ("))
        << boxes.calls[1].text;
    EXPECT_EQ(boxes.calls[1].text.find("a.mp3"), std::string::npos) << boxes.calls[1].text;
    EXPECT_EQ(tm.ReadFile("Musik/b.mp3"), audio);
}

// The window's MultiTag writes neither a read-only file (root included) nor
// through a link leading outside its folder; both are named after the count
// with their reason, and keep their bytes. A link inside is written.
TEST_F(MultiTagDlgTest, ReadOnlyFilesAndLinksLeadingOutsideAreNamed)
{
    const std::string tagged = audio + MakeRecord({"Eins", "Kraftwerk", "", "", "", 17});
    WriteFiles({{"Musik/a.mp3", tagged}, {"Musik/ro.mp3", tagged}, {"Draussen/x.mp3", tagged}});
    chmod(tm.Host("Musik/ro.mp3").c_str(), 0444);
    std::filesystem::create_symlink("../Draussen/x.mp3", tm.Host("Musik/link.mp3"));
    std::filesystem::create_symlink("a.mp3", tm.Host("Musik/same.mp3"));
    CMultiTagDlg dlg(tm.Sys("Musik"), language);
    RunModalScript(dlg, [&] {
        Child<QCheckBox>(dlg, "titleCheck").setChecked(true);
        QTest::keyClicks(&Child<QLineEdit>(dlg, "titleEdit"), "Neu");
        Child<QPushButton>(dlg, "okButton").click();
    });
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[0].text, "3 Dateien bearbeitet"); // a, ro (opened, not written) and same
    const std::string& named = boxes.calls[1].text;
    // In the dialog's language, the system's words after a reason it gave.
    EXPECT_TRUE(named.starts_with("2 Dateien oder Ordner nicht bearbeitet:\n")) << named;
    EXPECT_NE(named.find("C:\\Musik\\link.mp3 (Link führt hinaus)"), std::string::npos) << named;
    EXPECT_NE(named.find("C:\\Musik\\ro.mp3 (nicht schreibbar: "), std::string::npos) << named;
    EXPECT_EQ(named.find("a.mp3"), std::string::npos) << named;
    EXPECT_EQ(tm.ReadFile("Draussen/x.mp3"), tagged);
    EXPECT_EQ(tm.ReadFile("Musik/ro.mp3"), tagged);
    EXPECT_EQ(Field(tm.ReadFile("Musik/a.mp3"), kTitleAt, 3), "Neu");
}

// Cancel in the progress dialog stops MultiTag between two files: the first
// part of the walk is written whole, the rest keeps its bytes, the count says
// how many were done, and the journal names exactly the files written, which
// undo brings back.
TEST_F(MultiTagDlgTest, CancelInTheProgressDialogStopsBetweenTwoFiles)
{
    dialogs::CProgressWindow::SetTiming({std::chrono::milliseconds(0), std::chrono::milliseconds(0)});
    std::vector<std::string> names; // in the walk's order
    std::map<std::string, std::string> files;
    for (int i = 10; i < 70; ++i) {
        names.push_back("Musik/" + std::to_string(i) + ".mp3");
        files[names.back()] = audio + MakeRecord({"Lied " + std::to_string(i), "Alt", "Alb", "1974", "", 17});
    }
    const auto before = WriteFiles(files);
    CMultiTagDlg dlg(tm.Sys("Musik"), language);
    bool pressed = false;
    int shown = -1;
    QString label;
    RunModalScript(dlg, [&] {
        Child<QCheckBox>(dlg, "artistCheck").setChecked(true);
        QTest::keyClicks(&Child<QLineEdit>(dlg, "artistEdit"), "Neu");
        const ProgressCancel cancel(5);
        Child<QPushButton>(dlg, "okButton").click();
        pressed = cancel.Pressed();
        shown = cancel.value;
        label = cancel.label;
    });
    dialogs::CProgressWindow::SetTiming({});
    ASSERT_TRUE(pressed);
    EXPECT_TRUE(label.startsWith(QString::number(shown) + " of ")) << label.toStdString();
    EXPECT_TRUE(label.endsWith("files\nC:\\Musik")) << label.toStdString();
    ASSERT_FALSE(boxes.calls.empty());
    const std::size_t count = std::stoul(boxes.calls[0].text);
    EXPECT_EQ(boxes.calls[0].text, std::to_string(count) + " Dateien bearbeitet");
    EXPECT_GE(count, static_cast<std::size_t>(shown));
    EXPECT_LT(count, names.size());

    std::set<std::string> written;
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const std::string now = tm.ReadFile(names[i]);
        if (i >= count) {
            EXPECT_EQ(now, before.at(names[i]));
            continue;
        }
        ASSERT_EQ(now.size(), before.at(names[i]).size());
        EXPECT_EQ(Field(now, kArtistAt, 30), Pad("Neu", 30));
        EXPECT_EQ(Field(now, kTitleAt, 30), Field(before.at(names[i]), kTitleAt, 30));
        written.insert(tm.Host(names[i]));
    }
    const journal::CJournalStore store(journal::CJournalStore::DefaultFolder());
    const auto entries = store.List();
    ASSERT_EQ(entries.size(), 1u);
    const auto entry = store.Read(entries[0].id);
    ASSERT_TRUE(entry);
    std::set<std::string> journalled;
    for (const journal::Record& record : entry->records)
        journalled.insert(record.path);
    EXPECT_EQ(journalled, written);
    const journal::UndoReport undo = journal::UndoEntry(store, *entry, "test", false);
    EXPECT_EQ(undo.Count(journal::UndoStep::Restored), written.size());
    for (const auto& [name, bytes] : before)
        EXPECT_EQ(tm.ReadFile(name), bytes) << name;
}

} // namespace


int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

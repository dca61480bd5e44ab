// MultiTag driven through its widgets, offscreen, on a temporary drive.
#include "dialogs/MultiTagDlg.h"

#include "../tag/TagBytes.h"
#include "GuiTestSupport.h"
#include "TempMachine.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "table/TableFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <map>
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
                                                      {91, "Abbrechen"}});
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
    EXPECT_NE(boxes.calls[1].text.find("C:\\Musik\\b.mp3"), std::string::npos) << boxes.calls[1].text;
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
    EXPECT_NE(named.find("C:\\Musik\\link.mp3 (link leads outside the folder)"), std::string::npos) << named;
    EXPECT_NE(named.find("C:\\Musik\\ro.mp3 (cannot write)"), std::string::npos) << named;
    EXPECT_EQ(named.find("a.mp3"), std::string::npos) << named;
    EXPECT_EQ(tm.ReadFile("Draussen/x.mp3"), tagged);
    EXPECT_EQ(tm.ReadFile("Musik/ro.mp3"), tagged);
    EXPECT_EQ(Field(tm.ReadFile("Musik/a.mp3"), kTitleAt, 3), "Neu");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

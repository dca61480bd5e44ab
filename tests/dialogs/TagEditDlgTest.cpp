// The tag editor driven through its widgets, offscreen, on a temporary drive.
#include "dialogs/TagEditDlg.h"

#include "../tag/TagBytes.h"
#include "GuiTestSupport.h"
#include "TempMachine.h"
#include "platform/File.h"
#include "platform/MessageBox.h"
#include "table/TableFile.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/resource.h>
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

// Shows whether a dialog ever became visible.
class ShowCounter : public QObject {
public:
    int shows = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) ++shows;
        return QObject::eventFilter(watched, event);
    }
};

class TagEditDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tm.MakeDir("lang");
        MakeLanguageFile(tm.Sys("lang/Deutsch.qzd"), {{58, "Schliessen"},
                                                      {65, "Interpret"},
                                                      {66, "Titel"},
                                                      {67, "Album"},
                                                      {68, "Jahr"},
                                                      {69, "Genre"},
                                                      {70, "Kommentar"},
                                                      {76, "Umbenennen"},
                                                      {97, "Speichern"},
                                                      {134, "%1: Tag nicht gespeichert (%2)."}});
        ASSERT_TRUE(language.Load(tm.Sys("lang/Deutsch.qzd")));
    }

    static QLineEdit& Edit(QWidget& dlg, const char* name) { return Child<QLineEdit>(dlg, name); }
    static QPushButton& Button(QWidget& dlg, const char* name) { return Child<QPushButton>(dlg, name); }
    static QComboBox& Genres(QWidget& dlg) { return Child<QComboBox>(dlg, "genreBox"); }
    static std::string Field(const std::string& file, std::size_t at, std::size_t width)
    {
        return file.substr(file.size() - 128 + at, width);
    }

    TempMachine tm;
    CTableFile language;
    guitest::MessageBoxRecorder boxes;
    const std::string audio = SilentFrames(3);
};

TEST_F(TagEditDlgTest, TaggedFileOpensCleanWithItsFieldsAndTexts)
{
    RecordFields fields{"Autobahn", "Kraftwerk", "Autobahn", "1974", "Seite A", 52};
    tm.WriteFile("Musik/song.mp3", audio + MakeRecord(fields));
    CTagEditDlg dlg(tm.Sys("Musik/song.mp3"), "%1 - %2", language);
    const int result = RunModalScript(dlg, [&] {
        EXPECT_EQ(dlg.windowTitle(), "song.mp3");
        EXPECT_EQ(Edit(dlg, "artistEdit").text(), "Kraftwerk");
        EXPECT_EQ(Edit(dlg, "titleEdit").text(), "Autobahn");
        EXPECT_EQ(Edit(dlg, "yearEdit").text(), "1974");
        EXPECT_EQ(Edit(dlg, "commentEdit").text(), "Seite A");
        EXPECT_EQ(Genres(dlg).currentText(), "Electronic");
        EXPECT_EQ(Genres(dlg).itemText(0), "A Capella"); // sorted, not in number order
        EXPECT_EQ(Button(dlg, "saveButton").text(), "Speichern");
        EXPECT_EQ(Button(dlg, "closeButton").text(), "Schliessen");
        std::vector<QString> labels;
        for (const QLabel* label : dlg.findChildren<QLabel*>())
            labels.push_back(label->text());
        EXPECT_EQ(labels, (std::vector<QString>{"Interpret:", "Titel:", "Album:", "Jahr:", "Genre:", "Kommentar:"}));
        // The fill is no edit: Save stays off, and Enter presses Close.
        EXPECT_FALSE(Button(dlg, "saveButton").isEnabled());
        EXPECT_TRUE(Button(dlg, "closeButton").isDefault());
        QTest::keyClick(&Edit(dlg, "artistEdit"), Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_FALSE(dlg.Changed());
}

// Each button is as wide as its caption with the style's padding, however
// long the language's word: the row neither overlaps nor leaves the dialog.
TEST_F(TagEditDlgTest, ButtonsFitTheirCaptionsWithTheStylesPadding)
{
    tm.WriteFile("Musik/song.mp3", audio);
    for (const char* rename : {"Umbenennen", "Nach dem Muster umbenennen"}) {
        SCOPED_TRACE(rename);
        MakeLanguageFile(tm.Sys("lang/Lang.qzd"), {{58, "Schliessen"}, {76, rename}, {97, "Speichern"}});
        CTableFile table;
        ASSERT_TRUE(table.Load(tm.Sys("lang/Lang.qzd")));
        CTagEditDlg dlg(tm.Sys("Musik/song.mp3"), "%1", table);
        RunModalScript(dlg, [&] {
            int lastRight = 0;
            for (const char* name : {"closeButton", "renameButton", "saveButton"}) {
                SCOPED_TRACE(name);
                const QPushButton& button = Button(dlg, name);
                EXPECT_GE(button.width(), button.sizeHint().width());
                EXPECT_GT(button.x(), lastRight);
                lastRight = button.geometry().right();
            }
            EXPECT_LT(lastRight, dlg.width() - 1);
            EXPECT_EQ(Button(dlg, "renameButton").text(), rename);
            Button(dlg, "closeButton").click();
        });
    }
}

TEST_F(TagEditDlgTest, UntaggedFileOpensEmptyAndRenameDoesNothing)
{
    tm.WriteFile("Musik/plain.mp3", audio);
    CTagEditDlg dlg(tm.Sys("Musik/plain.mp3"), "%1 - %2", language);
    RunModalScript(dlg, [&] {
        for (const char* name : {"artistEdit", "titleEdit", "albumEdit", "yearEdit", "commentEdit"})
            EXPECT_TRUE(Edit(dlg, name).text().isEmpty()) << name;
        EXPECT_EQ(Genres(dlg).currentIndex(), -1);
        Button(dlg, "renameButton").click();
        EXPECT_TRUE(Button(dlg, "closeButton").isDefault());
        Button(dlg, "closeButton").click();
    });
    EXPECT_FALSE(dlg.Changed());
    EXPECT_EQ(dlg.FilePath(), tm.Sys("Musik/plain.mp3"));
    EXPECT_EQ(tm.ReadFile("Musik/plain.mp3"), audio);
    EXPECT_FALSE(tm.Exists("Musik/ - .mp3"));
}

TEST_F(TagEditDlgTest, TwoSavesOnAnUntaggedFileAppendOneTag)
{
    tm.WriteFile("Musik/plain.mp3", audio);
    CTagEditDlg dlg(tm.Sys("Musik/plain.mp3"), "%1 - %2", language);
    RunModalScript(dlg, [&] {
        QTest::keyClicks(&Edit(dlg, "artistEdit"), "Kraftwerk");
        EXPECT_TRUE(Button(dlg, "saveButton").isDefault());
        QTest::keyClick(&Edit(dlg, "artistEdit"), Qt::Key_Return); // Enter presses Save now
        EXPECT_FALSE(Button(dlg, "saveButton").isEnabled());
        EXPECT_TRUE(Button(dlg, "renameButton").isDefault());
        QTest::keyClicks(&Edit(dlg, "titleEdit"), "Radioaktivitaet");
        Button(dlg, "saveButton").click();
        Button(dlg, "closeButton").click();
    });
    EXPECT_TRUE(dlg.Changed());
    const std::string file = tm.ReadFile("Musik/plain.mp3");
    ASSERT_EQ(file.size(), audio.size() + 128);
    EXPECT_EQ(file.substr(0, audio.size()), audio);
    EXPECT_EQ(Field(file, 0, 3), "TAG");
    EXPECT_EQ(Field(file, kArtistAt, 30), Pad("Kraftwerk", 30));
    EXPECT_EQ(Field(file, kTitleAt, 30), Pad("Radioaktivitaet", 30));
    EXPECT_EQ(static_cast<unsigned char>(file.back()), 255);
}

TEST_F(TagEditDlgTest, EditsAreCappedAtTheFieldWidths)
{
    tm.WriteFile("Musik/plain.mp3", audio);
    CTagEditDlg dlg(tm.Sys("Musik/plain.mp3"), "%1", language);
    RunModalScript(dlg, [&] {
        QTest::keyClicks(&Edit(dlg, "artistEdit"), QString(35, 'a'));
        QTest::keyClicks(&Edit(dlg, "yearEdit"), "19999");
        EXPECT_EQ(Edit(dlg, "artistEdit").text().size(), 30);
        EXPECT_EQ(Edit(dlg, "yearEdit").text(), "1999");
        Button(dlg, "closeButton").click();
    });
}

TEST_F(TagEditDlgTest, RenameUsesTheSavedValuesAndKeepsPendingEditsDefault)
{
    tm.WriteFile("Musik/song.mp3", audio + MakeRecord({"Autobahn", "Kraftwerk", "", "1974", "", 52}));
    CTagEditDlg dlg(tm.Sys("Musik/song.mp3"), "%1 - %2", language);
    RunModalScript(dlg, [&] {
        QTest::keyClicks(&Edit(dlg, "titleEdit"), " Live");
        Button(dlg, "renameButton").click();
        EXPECT_TRUE(Button(dlg, "saveButton").isEnabled());
        EXPECT_TRUE(Button(dlg, "saveButton").isDefault());
        EXPECT_EQ(dlg.windowTitle(), "song.mp3"); // the title keeps the name it opened with
        // The dialog follows the file: this Save lands in the renamed file.
        Button(dlg, "saveButton").click();
        Button(dlg, "closeButton").click();
    });
    EXPECT_TRUE(dlg.Changed());
    EXPECT_FALSE(tm.Exists("Musik/song.mp3"));
    EXPECT_EQ(dlg.FilePath(), tm.Sys("Musik/Kraftwerk - Autobahn.mp3"));
    const std::string renamed = tm.ReadFile("Musik/Kraftwerk - Autobahn.mp3");
    ASSERT_EQ(renamed.size(), audio.size() + 128);
    EXPECT_EQ(Field(renamed, kTitleAt, 30), Pad("Autobahn Live", 30));
}

TEST_F(TagEditDlgTest, RenameOntoATakenNameLeavesBothFiles)
{
    const std::string song = audio + MakeRecord({"Autobahn", "Kraftwerk", "", "", "", 52});
    tm.WriteFile("Musik/song.mp3", song);
    tm.WriteFile("Musik/Kraftwerk - Autobahn.mp3", "another file");
    CTagEditDlg dlg(tm.Sys("Musik/song.mp3"), "%1 - %2", language);
    RunModalScript(dlg, [&] {
        Button(dlg, "renameButton").click();
        EXPECT_TRUE(Button(dlg, "closeButton").isDefault());
        Button(dlg, "closeButton").click();
    });
    EXPECT_TRUE(dlg.Changed()); // a Rename of a tagged file counts, moved or not
    EXPECT_EQ(dlg.FilePath(), tm.Sys("Musik/song.mp3"));
    EXPECT_EQ(tm.ReadFile("Musik/song.mp3"), song);
    EXPECT_EQ(tm.ReadFile("Musik/Kraftwerk - Autobahn.mp3"), "another file");
    EXPECT_TRUE(boxes.calls.empty());
}

// The genre is a field like the others: untouched, its number stays, even
// one outside the table; chosen, it is written.
TEST_F(TagEditDlgTest, GenreOutsideTheTableShowsNoneAndIsKeptUntilChosen)
{
    tm.WriteFile("Musik/song.mp3", audio + MakeRecord({"T", "A", "", "", "", 200}));
    CTagEditDlg dlg(tm.Sys("Musik/song.mp3"), "%1", language);
    RunModalScript(dlg, [&] {
        EXPECT_EQ(Genres(dlg).currentIndex(), -1);
        QTest::keyClicks(&Edit(dlg, "albumEdit"), "X");
        Button(dlg, "saveButton").click();
        const std::string file = tm.ReadFile("Musik/song.mp3");
        EXPECT_EQ(static_cast<unsigned char>(file[file.size() - 128 + kGenreAt]), 200);
        EXPECT_EQ(Field(file, 63, 30), Pad("X", 30));
        Genres(dlg).setCurrentIndex(Genres(dlg).findText("Blues"));
        Button(dlg, "saveButton").click();
        Button(dlg, "closeButton").click();
    });
    const std::string file = tm.ReadFile("Musik/song.mp3");
    EXPECT_EQ(static_cast<unsigned char>(file[file.size() - 128 + kGenreAt]), 0);
}

// Fields as other tools write them: zero padding, and bytes that cp1252
// leaves undefined. Save with one field edited writes that field alone.
TEST_F(TagEditDlgTest, SaveWritesOnlyTheEditedFieldByteForByte)
{
    const RecordFields fields{"Ti\x81tel", "Ar\x8Dtist", "Al\x90", "19\x9D", "Kom\x81ment", 17};
    const std::string record = MakeRecord(fields); // zero-padded
    const struct {
        const char* edit;
        std::size_t at, width;
        std::string written;
    } cases[] = {
        {"titleEdit", kTitleAt, 30, Pad("Ti\x81tel!", 30)},
        {"artistEdit", kArtistAt, 30, Pad("Ar\x8Dtist!", 30)},
        {"yearEdit", 93, 4, "19\x9D!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        tm.WriteFile("Musik/song.mp3", audio + record);
        CTagEditDlg dlg(tm.Sys("Musik/song.mp3"), "%1", language);
        RunModalScript(dlg, [&] {
            EXPECT_EQ(Edit(dlg, "titleEdit").text(), QString::fromUtf8("Ti\xC2\x81tel"));
            QTest::keyClicks(&Edit(dlg, c.edit), "!");
            Button(dlg, "saveButton").click();
            Button(dlg, "closeButton").click();
        });
        EXPECT_TRUE(boxes.calls.empty());
        const std::string file = tm.ReadFile("Musik/song.mp3");
        ASSERT_EQ(file.size(), audio.size() + 128);
        std::string expected = record;
        expected.replace(c.at, c.width, c.written);
        EXPECT_EQ(file.substr(audio.size()), expected);
    }
}

// "Łódź 中文" has no bytes in cp1252: Save explains and writes nothing. On a
// Central European machine the same text is stored and shown as typed.
TEST_F(TagEditDlgTest, TextTheCodePageCannotHoldIsRefusedAtSave)
{
    const std::string song = audio + MakeRecord({"Autobahn", "Kraftwerk", "", "", "", 52});
    const QString typed = QString::fromUtf8("\xC5\x81\xC3\xB3" "d\xC5\xBA \xE4\xB8\xAD\xE6\x96\x87");
    tm.WriteFile("Musik/song.mp3", song);
    CTagEditDlg dlg(tm.Sys("Musik/song.mp3"), "%1", language);
    RunModalScript(dlg, [&] {
        Edit(dlg, "artistEdit").setText(typed);
        Button(dlg, "saveButton").click();
        ASSERT_EQ(boxes.calls.size(), 1u);
        // This language file predates the text: the English one stands in.
        EXPECT_EQ(boxes.calls[0].text, "Interpret: the character '\xC5\x81' is not in code page 1252 and cannot be stored.");
        EXPECT_EQ(boxes.calls[0].flags, platform::MB_ICONSTOP | platform::MB_OK);
        EXPECT_EQ(Edit(dlg, "artistEdit").text(), typed);
        EXPECT_TRUE(Button(dlg, "saveButton").isEnabled());
        Button(dlg, "closeButton").click();
    });
    EXPECT_FALSE(dlg.Changed());
    EXPECT_EQ(tm.ReadFile("Musik/song.mp3"), song);

    tm.Reinstall(1250);
    const QString polish = QString::fromUtf8("\xC5\x81\xC3\xB3" "d\xC5\xBA");
    CTagEditDlg again(tm.Sys("Musik/song.mp3"), "%1", language);
    RunModalScript(again, [&] {
        Edit(again, "artistEdit").setText(polish);
        Button(again, "saveButton").click();
        Button(again, "closeButton").click();
    });
    EXPECT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(Field(tm.ReadFile("Musik/song.mp3"), kArtistAt, 30), Pad("\xA3\xF3" "d\x9F", 30));
    tm.Reinstall(1252);
}

TEST_F(TagEditDlgTest, CloseOrEscapeAfterEditsLeavesTheFileUnchanged)
{
    const struct {
        const char* how;
        std::function<void(CTagEditDlg&)> leave;
        int result;
    } cases[] = {
        {"Close", [](CTagEditDlg& dlg) { Button(dlg, "closeButton").click(); }, QDialog::Accepted},
        {"Escape", [](CTagEditDlg& dlg) { QTest::keyClick(&Edit(dlg, "titleEdit"), Qt::Key_Escape); },
         QDialog::Rejected},
    };
    const std::string song = audio + MakeRecord({"Autobahn", "Kraftwerk", "", "", "", 52});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        tm.WriteFile("Musik/song.mp3", song);
        CTagEditDlg dlg(tm.Sys("Musik/song.mp3"), "%1", language);
        const int result = RunModalScript(dlg, [&] {
            QTest::keyClicks(&Edit(dlg, "titleEdit"), " (Remix)");
            Genres(dlg).setCurrentIndex(0);
            c.leave(dlg);
        });
        EXPECT_EQ(result, c.result);
        EXPECT_FALSE(dlg.Changed());
        EXPECT_EQ(tm.ReadFile("Musik/song.mp3"), song);
    }
}

TEST_F(TagEditDlgTest, MissingFileEndsTheDialogBeforeItShows)
{
    CTagEditDlg dlg(tm.Sys("Musik/gone.mp3"), "%1", language);
    ShowCounter counter;
    dlg.installEventFilter(&counter);
    bool scriptRan = false;
    const int result = RunModalScript(dlg, [&] { scriptRan = true; });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(counter.shows, 0);
    EXPECT_FALSE(scriptRan);
    EXPECT_FALSE(dlg.Changed());
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(TagEditDlgTest, SaveOnALockedFileIsReportedAndCanBeRetried)
{
    tm.WriteFile("Musik/plain.mp3", audio);
    CTagEditDlg dlg(tm.Sys("Musik/plain.mp3"), "%1", language);
    RunModalScript(dlg, [&] {
        QTest::keyClicks(&Edit(dlg, "artistEdit"), "Kraftwerk");
        {
            platform::CFile holder; // another opener holds the file exclusively
            ASSERT_TRUE(holder.Open(tm.Sys("Musik/plain.mp3"), platform::CFile::modeRead));
            Button(dlg, "saveButton").click();
        }
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].caption, "Sonadex Pro");
        EXPECT_EQ(boxes.calls[0].flags, platform::MB_ICONSTOP | platform::MB_OK);
        EXPECT_NE(boxes.calls[0].text.find("plain.mp3"), std::string::npos) << boxes.calls[0].text;
        EXPECT_FALSE(dlg.Changed());
        EXPECT_TRUE(Button(dlg, "saveButton").isEnabled());
        EXPECT_TRUE(Button(dlg, "saveButton").isDefault());
        EXPECT_EQ(tm.ReadFile("Musik/plain.mp3"), audio);
        Button(dlg, "saveButton").click(); // the file is free again
        Button(dlg, "closeButton").click();
    });
    EXPECT_EQ(boxes.calls.size(), 1u);
    EXPECT_TRUE(dlg.Changed());
    EXPECT_EQ(tm.ReadFile("Musik/plain.mp3").size(), audio.size() + 128);
}

TEST_F(TagEditDlgTest, WriteErrorAfterTheOpenIsReportedOnce)
{
    tm.WriteFile("Musik/plain.mp3", audio);
    CTagEditDlg dlg(tm.Sys("Musik/plain.mp3"), "%1", language);
    RunModalScript(dlg, [&] {
        QTest::keyClicks(&Edit(dlg, "artistEdit"), "Kraftwerk");
        // A file size limit below the grown file makes the append fail after the open.
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = audio.size() + 64;
        setrlimit(RLIMIT_FSIZE, &small);
        Button(dlg, "saveButton").click();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        Button(dlg, "closeButton").click();
    });
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(boxes.calls[0].flags, platform::MB_ICONSTOP | platform::MB_OK);
    // The language's sentence around the system's words.
    EXPECT_EQ(boxes.calls[0].text, std::string("plain.mp3: Tag nicht gespeichert (") + std::strerror(EFBIG) + ").");
    EXPECT_FALSE(dlg.Changed());
    EXPECT_EQ(tm.ReadFile("Musik/plain.mp3"), audio);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

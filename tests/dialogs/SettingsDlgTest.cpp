// The settings dialog driven through its widgets, offscreen, on a temporary
// drive with its own hive.
#include "dialogs/SettingsDlg.h"

#include "dialogs/ElidedLabel.h"

#include "GuiTestSupport.h"
#include "TempMachine.h"
#include "language/LanguageText.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "table/TableFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolTip>
#include <algorithm>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <optional>
#include <vector>

namespace {

using guitest::Child;
using guitest::MakeLanguageFile;
using guitest::RunModalScript;

const std::map<int, std::string> kGerman = {{41, "Sprache"},
                                            {54, "Einstellungen"},
                                            {65, "Interpret"},
                                            {66, "Titel"},
                                            {67, "Album"},
                                            {68, "Jahr"},
                                            {69, "Genre"},
                                            {70, "Kommentar"},
                                            {73, "Die Einstellungen konnten nicht gespeichert werden."},
                                            {76, "Umbenennen"},
                                            {90, "OK"},
                                            {91, "Abbrechen"},
                                            {95, "Beispiel"},
                                            {96, "Nach fehlenden Informationen fragen"}};
const std::map<int, std::string> kEnglish = {{41, "Language"},
                                             {54, "Settings"},
                                             {65, "Artist"},
                                             {66, "Title"},
                                             {67, "Album"},
                                             {68, "Year"},
                                             {69, "Genre"},
                                             {70, "Comment"},
                                             {73, "The settings could not be stored."},
                                             {76, "Rename"},
                                             {90, "OK"},
                                             {91, "Cancel"},
                                             {95, "Example"},
                                             {96, "Ask for missing information"}};

class SettingsDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tm.MakeDir("lang");
        tm.WriteHive("\"Rename\"=\"%1\"\r\n\"Prompt\"=\"FALSE\"\r\n");
        SetStoredLanguage("Deutsch");
        MakeLanguageFile(tm.Sys("lang/Deutsch.qzd"), kGerman);
        MakeLanguageFile(tm.Sys("lang/English.qzd"), kEnglish);
        ASSERT_TRUE(language.Load(tm.Sys("lang/Deutsch.qzd")));
    }

    void SetStoredLanguage(const std::string& name) const
    {
        ASSERT_TRUE(platform::UpdateHiveFile(
            tm.HiveFile(), [&](platform::CHive& hive) { return hive.Set("Software\\Velmora", "Language", name); }));
    }
    std::string ReadHive() const
    {
        std::ifstream in(tm.HiveFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::optional<std::string> Stored(const std::string& key, const std::string& value) const
    {
        return platform::CHive::LoadFile(tm.HiveFile()).Get(key, value);
    }

    // A dialog as the view sets it up.
    void Prepare(CSettingsDlg& dlg, const std::string& pattern = "%1 - %2") const
    {
        dlg.SetLanguage("Deutsch");
        dlg.SetLanguageFolder(tm.Sys("lang"));
        dlg.SetPattern(pattern);
        dlg.SetPrompt(false);
    }

    static QString Example(QWidget& dlg) { return Child<QLabel>(dlg, "exampleText").text(); }
    static QComboBox& Languages(QWidget& dlg) { return Child<QComboBox>(dlg, "languageBox"); }
    static void SetPattern(QWidget& dlg, const QString& text)
    {
        QLineEdit& edit = Child<QLineEdit>(dlg, "patternEdit");
        edit.clear();
        QTest::keyClicks(&edit, text);
    }

    TempMachine tm;
    CTableFile language;
    guitest::MessageBoxRecorder boxes;
};

TEST_F(SettingsDlgTest, ExampleShowsThePatternWithTheFieldNames)
{
    const struct {
        const char* pattern;
        const char* example;
    } cases[] = {
        {"%1 - %2", "Interpret - Titel.mp3"},
        {"", ".mp3"},
        {"%1%1", "InterpretInterpret.mp3"},
        {"%4 a/b?", "Jahr a/b?.mp3"}, // no mapping in the example
        {"ohne", "ohne.mp3"},
    };
    CSettingsDlg dlg(language);
    Prepare(dlg, "%3");
    RunModalScript(dlg, [&] {
        EXPECT_EQ(Example(dlg), "Album.mp3");
        for (const auto& c : cases) {
            SCOPED_TRACE(c.pattern);
            SetPattern(dlg, c.pattern);
            EXPECT_EQ(Example(dlg), c.example);
        }
        Child<QPushButton>(dlg, "cancelButton").click();
    });
}

TEST_F(SettingsDlgTest, LanguageSwitchRecaptionsTheDialogAtOnce)
{
    CSettingsDlg dlg(language);
    Prepare(dlg);
    RunModalScript(dlg, [&] {
        EXPECT_EQ(dlg.windowTitle(), "Einstellungen");
        ASSERT_EQ(Languages(dlg).currentText(), "Deutsch");
        Languages(dlg).setCurrentIndex(Languages(dlg).findText("English"));
        EXPECT_TRUE(dlg.LanguageChanged());
        EXPECT_EQ(dlg.Language(), "English");
        EXPECT_EQ(dlg.windowTitle(), "Settings");
        EXPECT_EQ(Child<QPushButton>(dlg, "cancelButton").text(), "Cancel");
        EXPECT_EQ(Child<QCheckBox>(dlg, "promptCheck").text(), "Ask for missing information");
        EXPECT_EQ(dlg.findChild<QGroupBox*>()->title(), "Rename");
        std::vector<QString> labels;
        for (const QLabel* label : dlg.findChildren<QLabel*>())
            labels.push_back(label->text());
        EXPECT_NE(std::find(labels.begin(), labels.end(), "%1 - Artist"), labels.end());
        EXPECT_NE(std::find(labels.begin(), labels.end(), "Language:"), labels.end());
        // The example keeps the old names until the pattern changes.
        EXPECT_EQ(Example(dlg), "Interpret - Titel.mp3");
        QTest::keyClick(&Child<QLineEdit>(dlg, "patternEdit"), Qt::Key_End); // focus selected the text
        QTest::keyClicks(&Child<QLineEdit>(dlg, "patternEdit"), "!");
        EXPECT_EQ(Example(dlg), "Artist - Title!.mp3");
        Child<QPushButton>(dlg, "okButton").click();
    });
    EXPECT_EQ(GetText(language, 65), "Artist");
}

// The example's label shows its colon in both languages, and an example too
// long for its row is cut with an ellipsis and shown whole as its tooltip.
TEST_F(SettingsDlgTest, ExampleLabelKeepsItsColonAndALongExampleEndsInAnEllipsis)
{
    const QString longPattern = "%1 - %2 - %3 - %4 - %5 - %6";
    CSettingsDlg dlg(language);
    Prepare(dlg, "%1");
    RunModalScript(dlg, [&] {
        for (const char* name : {"Deutsch", "English"}) {
            SCOPED_TRACE(name);
            Languages(dlg).setCurrentIndex(Languages(dlg).findText(name));
            const QLabel* label = nullptr;
            for (const QLabel* candidate : dlg.findChildren<QLabel*>())
                if (candidate->text().startsWith(name == std::string("English") ? "Example" : "Beispiel"))
                    label = candidate;
            ASSERT_NE(label, nullptr);
            EXPECT_TRUE(label->text().endsWith(':'));
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
                << "the label cuts its own text";
            const auto& example = Child<CElidedLabel>(dlg, "exampleText");
            EXPECT_GE(example.geometry().left(), label->geometry().right()) << "the two overlap";

            SetPattern(dlg, "%1");
            EXPECT_FALSE(example.IsCut());
            EXPECT_EQ(example.ShownText(), example.text());
            SetPattern(dlg, longPattern);
            EXPECT_TRUE(example.IsCut());
            EXPECT_TRUE(example.ShownText().endsWith(QChar(0x2026))) << example.ShownText().toStdString();
            EXPECT_TRUE(example.text().endsWith(".mp3"));

            QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), example.mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(const_cast<CElidedLabel*>(&example), &help);
            EXPECT_EQ(QToolTip::text(), example.text());
            QToolTip::hideText();
        }
        Child<QPushButton>(dlg, "cancelButton").click();
    });
}

TEST_F(SettingsDlgTest, OkStoresLanguagePatternAndPrompt)
{
    for (const bool prompt : {true, false}) {
        SCOPED_TRACE(prompt ? "prompt" : "no prompt");
        CSettingsDlg dlg(language);
        Prepare(dlg);
        dlg.SetPrompt(!prompt);
        const int result = RunModalScript(dlg, [&] {
            EXPECT_EQ(Child<QCheckBox>(dlg, "promptCheck").isChecked(), !prompt);
            Child<QCheckBox>(dlg, "promptCheck").setChecked(prompt);
            SetPattern(dlg, prompt ? "%2 (%1)" : "");
            Languages(dlg).setCurrentIndex(Languages(dlg).findText(prompt ? "English" : "Deutsch"));
            QTest::keyClick(&Child<QLineEdit>(dlg, "patternEdit"), Qt::Key_Return); // OK is the default
        });
        EXPECT_EQ(result, QDialog::Accepted);
        EXPECT_EQ(dlg.Prompt(), prompt);
        EXPECT_EQ(dlg.Pattern(), prompt ? "%2 (%1)" : "");
        EXPECT_EQ(Stored("Software\\Velmora", "Language"), prompt ? "English" : "Deutsch");
        EXPECT_EQ(Stored("Software\\Velmora\\Sonadex Pro", "Rename"), prompt ? "%2 (%1)" : "");
        EXPECT_EQ(Stored("Software\\Velmora\\Sonadex Pro", "Prompt"), prompt ? "TRUE" : "FALSE");
    }
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(SettingsDlgTest, MissingSettingsKeyShowsTheErrorAndStaysOpen)
{
    std::ofstream(tm.HiveFile(), std::ios::binary | std::ios::trunc)
        << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n\"Language\"=\"Deutsch\"\r\n";
    CSettingsDlg dlg(language);
    Prepare(dlg);
    const int result = RunModalScript(dlg, [&] {
        Child<QPushButton>(dlg, "okButton").click();
        EXPECT_TRUE(dlg.isVisible());
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].text, "Die Einstellungen konnten nicht gespeichert werden.");
        EXPECT_EQ(boxes.calls[0].caption, "Sonadex Pro");
        EXPECT_EQ(boxes.calls[0].flags, platform::MB_ICONSTOP | platform::MB_OK);
        Child<QPushButton>(dlg, "cancelButton").click();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_FALSE(platform::CHive::LoadFile(tm.HiveFile()).HasKey("Software\\Velmora\\Sonadex Pro"));
}

TEST_F(SettingsDlgTest, CancelWritesNothingAndPutsTheOldLanguageBack)
{
    const struct {
        const char* how;
        std::function<void(CSettingsDlg&)> leave;
    } cases[] = {
        {"Abbrechen", [](CSettingsDlg& dlg) { Child<QPushButton>(dlg, "cancelButton").click(); }},
        {"Escape", [](CSettingsDlg& dlg) { QTest::keyClick(&Child<QLineEdit>(dlg, "patternEdit"), Qt::Key_Escape); }},
    };
    const std::string hive = ReadHive();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        CSettingsDlg dlg(language);
        Prepare(dlg);
        const int result = RunModalScript(dlg, [&] {
            SetPattern(dlg, "%6");
            Child<QCheckBox>(dlg, "promptCheck").setChecked(true);
            Languages(dlg).setCurrentIndex(Languages(dlg).findText("English"));
            EXPECT_EQ(GetText(language, 65), "Artist");
            c.leave(dlg);
        });
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_EQ(ReadHive(), hive);
        EXPECT_EQ(GetText(language, 65), "Interpret");
        EXPECT_EQ(language.GetPath(), tm.Sys("lang/Deutsch.qzd"));
        EXPECT_FALSE(dlg.LanguageChanged());
    }
}

TEST_F(SettingsDlgTest, OkWithoutALanguageSelectedKeepsTheStoredOne)
{
    CSettingsDlg dlg(language);
    Prepare(dlg);
    dlg.SetLanguage("Klingonisch"); // no such file
    RunModalScript(dlg, [&] {
        EXPECT_EQ(Languages(dlg).currentIndex(), -1);
        Child<QPushButton>(dlg, "okButton").click();
    });
    EXPECT_EQ(Stored("Software\\Velmora", "Language"), "Deutsch");
    EXPECT_EQ(Stored("Software\\Velmora\\Sonadex Pro", "Rename"), "%1 - %2");
    EXPECT_FALSE(dlg.LanguageChanged());
}

TEST_F(SettingsDlgTest, LanguageBoxListsTheFilesSortedAndSelectsByPrefix)
{
    MakeLanguageFile(tm.Sys("lang/Deutschland.qzd"), kGerman);
    tm.WriteFile("lang/readme.txt", "not a language");
    const struct {
        const char* language;
        const char* selected;
    } cases[] = {{"Deutsch", "Deutsch"}, {"deutschland", "Deutschland"}, {"eng", "English"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        CSettingsDlg dlg(language);
        Prepare(dlg);
        dlg.SetLanguage(c.language);
        RunModalScript(dlg, [&] {
            QStringList names;
            for (int i = 0; i < Languages(dlg).count(); ++i)
                names << Languages(dlg).itemText(i);
            EXPECT_EQ(names, (QStringList{"Deutsch", "Deutschland", "English"}));
            EXPECT_EQ(Languages(dlg).currentText(), c.selected);
            EXPECT_FALSE(dlg.LanguageChanged()); // the start selection loads nothing
            Child<QPushButton>(dlg, "cancelButton").click();
        });
    }
}

// A pattern character that file names from the code page could not carry:
// the example explains instead of showing '?', and OK stores nothing.
TEST_F(SettingsDlgTest, PatternTheCodePageCannotHoldIsExplainedAndNotStored)
{
    language.Close(); // before the file is replaced: closing writes the table back
    MakeLanguageFile(tm.Sys("lang/Deutsch.qzd"), [] {
        auto texts = kGerman;
        texts[100] = "%1: Das Zeichen '%2' gibt es in Codepage %3 nicht.";
        texts[101] = "Muster";
        return texts;
    }());
    ASSERT_TRUE(language.Load(tm.Sys("lang/Deutsch.qzd")));
    CSettingsDlg dlg(language);
    Prepare(dlg, "%1");
    const int result = RunModalScript(dlg, [&] {
        Child<QLineEdit>(dlg, "patternEdit").setText(QString::fromUtf8("%1 \xE2\x86\x92 %2"));
        EXPECT_EQ(Example(dlg), QString::fromUtf8("Muster: Das Zeichen '\xE2\x86\x92' gibt es in Codepage 1252 nicht."));
        Child<QPushButton>(dlg, "okButton").click();
        ASSERT_EQ(boxes.calls.size(), 1u);
        EXPECT_EQ(boxes.calls[0].text, "Muster: Das Zeichen '\xE2\x86\x92' gibt es in Codepage 1252 nicht.");
        EXPECT_EQ(Stored("Software\\Velmora\\Sonadex Pro", "Rename"), "%1");
        SetPattern(dlg, "%1 - %2");
        EXPECT_EQ(Example(dlg), "Interpret - Titel.mp3");
        Child<QPushButton>(dlg, "okButton").click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(boxes.calls.size(), 1u);
    EXPECT_EQ(Stored("Software\\Velmora\\Sonadex Pro", "Rename"), "%1 - %2");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

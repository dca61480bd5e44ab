#include "print/PrintSettingsDlg.h"

#include "PrintTestSupport.h"
#include "TempMachine.h"
#include "table/TableFile.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QIcon>
#include <QPixmap>
#include <QKeyEvent>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <map>

using printtest::ModalScript;

namespace {

const char* const kColumnBoxes[] = {"fileName", "fileSize", "artist", "title", "album", "year", "genre", "comment"};

QCheckBox* Box(QWidget* dialog, const char* name)
{
    return dialog->findChild<QCheckBox*>(name);
}
QPushButton* Button(QWidget* dialog, const char* name)
{
    return dialog->findChild<QPushButton*>(name);
}

std::map<std::string, bool> BoxStates(QWidget* dialog)
{
    std::map<std::string, bool> states;
    for (const char* name : kColumnBoxes)
        states[name] = Box(dialog, name)->isChecked();
    states["subfolders"] = Box(dialog, "subfolders")->isChecked();
    return states;
}

class PrintSettingsDlgTest : public ::testing::Test {
protected:
    PrintSettingsDlgTest() { printtest::CreateLanguage(language, machine.Sys("lang\\English.qzd")); }

    // Runs the dialog modally; act sees it once it is up.
    int RunModal(const std::function<void(QWidget*)>& act)
    {
        ModalScript script({{printtest::Is<CPrintSettingsDlg>, act}});
        const int result = dialog.DoModal();
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(script.Unexpected(), 0);
        return result;
    }

    TempMachine machine;
    CTableFile language;
    CPrintSettingsDlg dialog{language};
};

TEST_F(PrintSettingsDlgTest, FirstOpeningShowsAllColumnsAndNoSubfolders)
{
    std::map<std::string, bool> shown;
    RunModal([&](QWidget* w) {
        shown = BoxStates(w);
        Button(w, "ok")->click();
    });
    for (const char* name : kColumnBoxes) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(shown[name]);
    }
    EXPECT_FALSE(shown["subfolders"]);
}

TEST_F(PrintSettingsDlgTest, CaptionsFollowTheLanguageTableOnEveryShowing)
{
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Print settings");
    EXPECT_EQ(Box(&dialog, "fileName")->text(), "File name");
    EXPECT_EQ(Box(&dialog, "comment")->text(), "Comment");
    EXPECT_EQ(Box(&dialog, "subfolders")->text(), "Include subfolders");
    EXPECT_EQ(Button(&dialog, "cancel")->text(), "Cancel");
    dialog.hide();

    printtest::CreateOtherLanguage(language, machine.Sys("lang\\Francais.qzd"));
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Impression");
    EXPECT_EQ(Box(&dialog, "fileSize")->text(), "Taille");
    EXPECT_EQ(Box(&dialog, "artist")->text(), "Interprete");
    EXPECT_EQ(Box(&dialog, "subfolders")->text(), "Sous-dossiers");
    EXPECT_EQ(Button(&dialog, "ok")->text(), "Valider");
    EXPECT_EQ(Button(&dialog, "cancel")->text(), "Annuler");
    dialog.hide();
}

// Every opening behaves like a dialog made afresh: fixed size, the program's
// icon from its window, centred on that window, focus on the first box,
// whatever the last opening left.
TEST_F(PrintSettingsDlgTest, EveryOpeningIsFixedCentredOnItsWindowWithFocusOnTheFirstBox)
{
    QWidget window;
    const QIcon icon(QPixmap(16, 16));
    window.setWindowIcon(icon);
    window.setGeometry(100, 50, 600, 500); // inside the offscreen screen
    auto* view = new QWidget(&window); // owned by window
    window.show();
    CPrintSettingsDlg owned(language, view);
    for (int opening = 1; opening <= 3; ++opening) {
        SCOPED_TRACE(opening);
        QRect shownAt;
        QWidget* focused = nullptr;
        bool fixed = false;
        ModalScript script({{printtest::Is<CPrintSettingsDlg>, [&](QWidget* w) {
                                 shownAt = w->geometry();
                                 focused = w->focusWidget();
                                 fixed = w->minimumSize() == w->maximumSize() && w->size() == w->minimumSize();
                                 EXPECT_EQ(w->windowIcon().cacheKey(), icon.cacheKey());
                                 // Leave it elsewhere, with the focus on another box.
                                 w->move(10 * opening, 10 * opening);
                                 Box(w, "album")->setFocus();
                                 Button(w, "cancel")->click();
                             }}});
        owned.DoModal();
        ASSERT_TRUE(script.Done());
        EXPECT_TRUE(fixed);
        EXPECT_LE((shownAt.center() - window.geometry().center()).manhattanLength(), 2)
            << shownAt.x() << "," << shownAt.y();
        EXPECT_EQ(focused, Box(&owned, "fileName"));
    }
}

struct Ending {
    const char* name;
    std::function<void(QWidget*)> end;
    bool keeps;
};

TEST_F(PrintSettingsDlgTest, OnlyOkTakesTheBoxesAndTheNextOpeningShowsTheConfirmedChoice)
{
    const Ending endings[] = {
        {"OK", [](QWidget* w) { Button(w, "ok")->click(); }, true},
        {"Abbrechen", [](QWidget* w) { Button(w, "cancel")->click(); }, false},
        {"Escape",
         [](QWidget* w) {
             QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QCoreApplication::sendEvent(w, &escape);
         },
         false},
        {"close box", [](QWidget* w) { w->close(); }, false},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.name);
        CPrintSettingsDlg fresh(language);
        ModalScript change({{printtest::Is<CPrintSettingsDlg>, [&](QWidget* w) {
                                 Box(w, "comment")->setChecked(false);
                                 Box(w, "fileName")->setChecked(false);
                                 Box(w, "subfolders")->setChecked(true);
                                 ending.end(w);
                             }}});
        const int result = fresh.DoModal();
        EXPECT_EQ(result == QDialog::Accepted, ending.keeps);

        const PrintChoice choice = fresh.Choice();
        EXPECT_EQ(choice.printComment, !ending.keeps);
        EXPECT_EQ(choice.printFileName, !ending.keeps);
        EXPECT_EQ(choice.includeSubfolders, ending.keeps);
        EXPECT_TRUE(choice.printArtist);

        std::map<std::string, bool> shown;
        ModalScript look({{printtest::Is<CPrintSettingsDlg>, [&](QWidget* w) {
                               shown = BoxStates(w);
                               Button(w, "cancel")->click();
                           }}});
        fresh.DoModal();
        EXPECT_EQ(shown["comment"], !ending.keeps);
        EXPECT_EQ(shown["fileName"], !ending.keeps);
        EXPECT_EQ(shown["subfolders"], ending.keeps);
        EXPECT_TRUE(shown["album"]);
    }
}

} // namespace

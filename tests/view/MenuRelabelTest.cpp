// The menu and the list headings follow the language; the context menu does not.
#include "ViewHarness.h"

#include "app/MainFrame.h"
#include "language/TextIds.h"
#include "platform/QtText.h"
#include "view/Resource.h"
#include "view/SonadexView.h"

#include <QAbstractButton>
#include <QAction>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

std::string Label(const CMainFrame& frame, int id)
{
    return platform::FromQString(frame.CommandAction(id)->text());
}

std::string TopMenu(const CMainFrame& frame, int position)
{
    return platform::FromQString(frame.menuBar()->actions().at(position)->text());
}

void SwitchLanguage(ViewHarness& h, const std::string& name)
{
    CTableFile& table = h.View().m_tblLanguage;
    ASSERT_TRUE(table.Close());
    ASSERT_TRUE(table.Load(h.machine.Sys("lang/" + name + ".qzd")));
    h.View().ApplyLanguage();
}

} // namespace

TEST(MenuRelabel, LanguageTextsReplaceTheMenuAndHeadingTexts)
{
    ViewHarness h;
    ASSERT_TRUE(h.Start());
    const CMainFrame& frame = h.Frame();
    EXPECT_EQ(Label(frame, res::ID_FILE_PLAY), "Ab&spielen\tF4");
    EXPECT_EQ(Label(frame, res::ID_FILE_SETTINGS), "Einstellungen\tStrg+O");
    EXPECT_EQ(Label(frame, res::ID_FILE_DELETE), "\tEntf"); // text 79 is missing: fixed parts only
    EXPECT_EQ(Label(frame, res::ID_FILE_UNDO), "&R\xFC"
                                               "ckg\xE4ngig\tStrg+Z");

    SwitchLanguage(h, "English");
    const std::pair<int, std::string> labels[] = {
        {res::ID_FILE_PLAY, "P&lay\tF4"},      {res::ID_FILE_SETTINGS, "Settings\tCtrl+O"},
        {res::ID_FILE_RENAME, "Rename\tF2"},   {res::ID_FILE_RENAME_ALL, "\tF3"},
        {res::ID_FILE_REMOVE_ID3, "\tCtrl+R"}, {res::ID_FILE_DELETE, "&Delete\tDel"},
        {res::ID_FILE_MULTITAG, "\tCtrl+S"},   {res::ID_FILE_PRINT, "\tCtrl+P"},
        {res::ID_APP_EXIT, "E&xit"},           {res::ID_VIEW_REFRESH, "&Refresh\tF5"},
        {res::ID_VIEW_SELECT_ALL, "\tCtrl+A"}, {res::ID_APP_ABOUT, "&About Sonadex Pro"},
        {res::ID_FILE_UNDO, "&Undo\tCtrl+Z"}, // text 120 is missing: the built-in English text
    };
    for (const auto& [id, label] : labels)
        EXPECT_EQ(Label(frame, id), label) << "command " << id;
    EXPECT_EQ(TopMenu(frame, 0), "File");
    EXPECT_EQ(TopMenu(frame, 1), "&View");
    EXPECT_EQ(TopMenu(frame, 2), "?");

    const QStringList headings = {"File", "Size", "Artist", "Title", "Album", "Year", "Genre", "Comment"};
    for (int column = 0; column < 8; ++column)
        EXPECT_EQ(h.View().FileList()->headerItem()->text(column), headings[column]);
    // Only the labels change: the keys stay bound to the same commands.
    EXPECT_EQ(frame.CommandAction(res::ID_FILE_PLAY)->shortcut(), QKeySequence(Qt::Key_F4));
    EXPECT_EQ(frame.CommandAction(res::ID_FILE_SETTINGS)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
}

TEST(MenuRelabel, TheContextMenuStaysGermanInEveryLanguage)
{
    ViewHarness h;
    ASSERT_TRUE(h.Start({.language = "English"}));
    const std::unique_ptr<QMenu> menu = h.View().CreateContextMenu();
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), "Abspielen");
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "Umbenennen");
    EXPECT_EQ(actions[3]->text(), "ID3 entfernen");
    EXPECT_EQ(actions[4]->text(), QString::fromUtf8("L\xC3\xB6schen"));
    EXPECT_EQ(menu->defaultAction(), actions[0]);
    EXPECT_TRUE(actions[0]->font().bold());
    const int commands[] = {res::ID_FILE_PLAY, 0, res::ID_FILE_RENAME, res::ID_FILE_REMOVE_ID3, res::ID_FILE_DELETE};
    for (int i = 0; i < 5; ++i) {
        if (commands[i]) {
            EXPECT_EQ(actions[i]->data().toInt(), commands[i]);
        }
    }
}

// Qt's own dialogs and buttons follow the locale the language file names
// (text 139), change with the language and are Qt's English again once the
// window is gone.
TEST(MenuRelabel, QtsOwnButtonsFollowTheLanguage)
{
    ASSERT_TRUE(QFileInfo(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm").isFile())
        << "Qt's German translation (qt6-translations-l10n) is not installed";
    const auto cancelText = [] {
        QMessageBox box;
        box.setStandardButtons(QMessageBox::Cancel);
        return box.button(QMessageBox::Cancel)->text().toStdString();
    };
    {
        ViewHarness h;
        std::map<int, std::string> german = GermanTexts();
        german[text::kQtLocale] = "de";
        h.WriteLanguage("Deutsch2", german);
        ASSERT_TRUE(h.Start({.language = "Deutsch2"}));
        EXPECT_EQ(cancelText(), "Abbrechen");
        SwitchLanguage(h, "English");
        EXPECT_EQ(cancelText(), "Cancel");
        SwitchLanguage(h, "Deutsch2");
        EXPECT_EQ(cancelText(), "Abbrechen");
    }
    EXPECT_EQ(cancelText(), "Cancel");
}

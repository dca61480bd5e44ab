// The shell: menus, keys, toolbar, status bar, caption and the About box.
#include "ViewHarness.h"

#include "app/AboutDlg.h"
#include "app/LockKeys.h"
#include "app/MainFrame.h"
#include "app/SonadexDoc.h"
#include "platform/Shell.h"
#include "view/Resource.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

TEST(MainFrame, MenusCarryTheResourceLabelsAndKeys)
{
    CSonadexDoc doc;
    CMainFrame frame(doc);
    const struct {
        int id;
        const char* label;
        QKeySequence key;
    } cases[] = {
        {res::ID_FILE_PLAY, "Ab&spielen\tF4", QKeySequence(Qt::Key_F4)},
        {res::ID_FILE_SETTINGS, "&Einstellungen\tStrg+O", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {res::ID_FILE_RENAME, "&Umbenennen\tF2", QKeySequence(Qt::Key_F2)},
        {res::ID_FILE_RENAME_ALL, "&Alle umbenennen\tF3", QKeySequence(Qt::Key_F3)},
        {res::ID_FILE_REMOVE_ID3, "&ID3 enternen\tCtrl+R", QKeySequence(Qt::CTRL | Qt::Key_R)},
        {res::ID_FILE_DELETE, "&L\xC3\xB6schen\tEntf", QKeySequence(Qt::Key_Delete)},
        {res::ID_FILE_MULTITAG, "&MultiTag\tStrg+S", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {res::ID_FILE_UNDO, "&R\xC3\xBC"
                            "ckg\xC3\xA4ngig\tStrg+Z",
         QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {res::ID_FILE_PRINT, "&Drucken...\tStrg+P", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {res::ID_FILE_PRINT_PREVIEW, "Sei&tenansicht", QKeySequence()},
        {res::ID_APP_EXIT, "Beenden", QKeySequence()},
        {res::ID_VIEW_REFRESH, "&Aktualisieren\tF5", QKeySequence(Qt::Key_F5)},
        {res::ID_VIEW_SELECT_ALL, "A&lle ausw\xC3\xA4hlen\tStrg+A", QKeySequence(Qt::CTRL | Qt::Key_A)},
        {res::ID_APP_ABOUT,
         "&Info \xC3\xBC"
         "ber Sonadex Pro",
         QKeySequence()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const QAction* action = frame.CommandAction(c.id);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(c.label));
        EXPECT_EQ(action->shortcut(), c.key);
        EXPECT_EQ(action->shortcutContext(), Qt::WindowShortcut);
    }
    const QList<QAction*> menus = frame.menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    EXPECT_EQ(menus[0]->text(), "&Datei");
    EXPECT_EQ(menus[1]->text(), "&Ansicht");
    EXPECT_EQ(menus[2]->text(), "?");
    EXPECT_EQ(frame.windowTitle(), "Sonadex Pro - Unbenannt");
}

TEST(MainFrame, ToolbarButtonsInOrderWithGermanTips)
{
    CSonadexDoc doc;
    CMainFrame frame(doc);
    std::vector<int> ids;
    for (const QAction* action : frame.m_wndToolBar->actions())
        ids.push_back(action->isSeparator() ? 0 : action->data().toInt());
    EXPECT_EQ(ids,
              (std::vector<int>{res::ID_VIEW_REFRESH, res::ID_FILE_PRINT, 0, res::ID_FILE_PLAY, res::ID_FILE_RENAME,
                                res::ID_FILE_RENAME_ALL, res::ID_FILE_REMOVE_ID3, res::ID_FILE_DELETE,
                                res::ID_FILE_MULTITAG, res::ID_FILE_UNDO, 0, res::ID_FILE_SETTINGS,
                                res::ID_APP_ABOUT}));
    EXPECT_EQ(frame.m_wndToolBar->iconSize(), QSize(16, 16));
    EXPECT_EQ(frame.m_wndToolBar->allowedAreas(), Qt::AllToolBarAreas);
    EXPECT_TRUE(frame.m_wndToolBar->isFloatable());
    for (const QAction* action : frame.m_wndToolBar->actions()) {
        if (action->isSeparator()) continue;
        EXPECT_FALSE(action->toolTip().isEmpty());
        EXPECT_FALSE(action->statusTip().isEmpty());
        EXPECT_FALSE(action->toolTip().contains('\t')) << action->toolTip().toStdString();
    }
}

TEST(MainFrame, StatusBarShowsIdleTextAndIndicatorsAndBarsToggle)
{
    CSonadexDoc doc;
    CMainFrame frame(doc);
    frame.show();
    EXPECT_EQ(frame.m_wndStatusBar->currentMessage(), "Bereit");
    frame.m_wndStatusBar->showMessage("prompt");
    frame.m_wndStatusBar->clearMessage(); // a menu prompt ends
    EXPECT_EQ(frame.m_wndStatusBar->currentMessage(), "Bereit");
    QStringList panes;
    for (const QLabel* label : frame.m_wndStatusBar->findChildren<QLabel*>())
        if (!label->text().isEmpty() && label->text() != "Bereit") panes << label->text();
    EXPECT_EQ(panes, (QStringList{"UF", "NUM", "RF"}));

    frame.CommandAction(res::ID_VIEW_TOOLBAR)->trigger();
    EXPECT_FALSE(frame.m_wndToolBar->isVisible());
    frame.CommandAction(res::ID_VIEW_TOOLBAR)->trigger();
    EXPECT_TRUE(frame.m_wndToolBar->isVisible());
    frame.CommandAction(res::ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_FALSE(frame.m_wndStatusBar->isVisible());
}

// Caps, Num and Scroll Lock: the text where the key is on, an empty pane
// where it is off, greyed text where the platform does not tell; the
// offscreen platform tells nothing.
TEST(MainFrame, LockPanesShowOnOffOrGreyed)
{
    CSonadexDoc doc;
    CMainFrame frame(doc);
    EXPECT_EQ(ReadLockKeyState(), LockKeyState{});
    for (const QLabel* pane : frame.LockPanes()) {
        EXPECT_FALSE(pane->isEnabled()) << pane->text().toStdString();
        EXPECT_FALSE(pane->text().isEmpty());
    }
    const struct {
        LockKeyState state;
        std::array<bool, 3> enabled;
        QStringList texts;
    } cases[] = {
        {{true, false, std::nullopt}, {true, true, false}, {"UF", "", "RF"}},
        {{false, true, true}, {true, true, true}, {"", "NUM", "RF"}},
        {{}, {false, false, false}, {"UF", "NUM", "RF"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.texts.join(',').toStdString());
        frame.ShowLockKeys(c.state);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(frame.LockPanes()[i]->isEnabled(), c.enabled[i]) << i;
            EXPECT_EQ(frame.LockPanes()[i]->text(), c.texts[static_cast<int>(i)]) << i;
        }
    }
}

TEST(AboutDlg, WebButtonAsksTheShellEveryTimeAndEscapeCloses)
{
    std::vector<std::string> opened;
    platform::SetShellHandlerForTest([&opened](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    CAboutDlg dialog;
    dialog.show();
    auto* web = dialog.findChild<QPushButton*>("WebButton");
    ASSERT_NE(web, nullptr);
    EXPECT_TRUE(web->isDefault());
    EXPECT_EQ(dialog.findChildren<QPushButton*>().size(), 1);
    EXPECT_EQ(dialog.windowTitle(), "Sonadex Pro");
    web->click();
    web->click();
    EXPECT_EQ(opened, (std::vector<std::string>{CAboutDlg::kWebAddress, CAboutDlg::kWebAddress}));
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    platform::SetShellHandlerForTest({});
}

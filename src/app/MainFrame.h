// The main window: menu, toolbar, status bar and window-wide shortcuts
// around the one view.
#pragma once

#include "LockKeys.h"

#include <QMainWindow>
#include <array>
#include <map>

class CSonadexDoc;
class CSonadexView;
class QAction;
class QLabel;
class QMenu;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(CSonadexDoc& doc, QWidget* parent = nullptr);

    CSonadexView* GetActiveView() const { return m_view; }
    // The action of a command number, or null.
    QAction* CommandAction(int id) const;

    // The status bar's Caps, Num and Scroll Lock panes: the text where a key
    // is on, empty where it is off, greyed where the platform does not tell.
    void ShowLockKeys(const LockKeyState& state);
    const std::array<QLabel*, 3>& LockPanes() const { return m_lockPanes; }

    QStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnCreate();
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void ConnectCommands();
    QMenu* AddMenu(const QString& title, std::initializer_list<int> ids);
    void OnUpdateFrameTitle(const QString& documentTitle);

    CSonadexDoc& m_doc;
    CSonadexView* m_view = nullptr; // owned by this window
    std::map<int, QAction*> m_actions;
    std::array<QLabel*, 3> m_lockPanes{}; // owned by the status bar
};

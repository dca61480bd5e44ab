#include "MainFrame.h"

#include "CommandTable.h"
#include "SonadexDoc.h"
#include "view/Resource.h"
#include "view/SonadexView.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

constexpr const char* kFrameTitle = "Sonadex Pro";
constexpr const char* kIdleText = "Bereit";
constexpr int kSeparator = 0;
// Caps, Num and Scroll Lock.
constexpr std::array<const char*, 3> kLockPaneTexts{"UF", "NUM", "RF"};
constexpr int kLockPollMilliseconds = 250;

} // namespace

CMainFrame::CMainFrame(CSonadexDoc& doc, QWidget* parent) : QMainWindow(parent), m_doc(doc)
{
    setObjectName("MainFrame");
    setWindowIcon(QIcon(":/icons/sonadex-pro.png"));
    m_view = new CSonadexView(this);
    setCentralWidget(m_view);
    OnCreate();
    connect(m_view, &CSonadexView::DocumentTitleChanged, &m_doc, &CSonadexDoc::SetTitle);
    connect(&m_doc, &CSonadexDoc::TitleChanged, this, &CMainFrame::OnUpdateFrameTitle);
    OnUpdateFrameTitle(m_doc.GetTitle());
}

void CMainFrame::OnCreate()
{
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    ConnectCommands();
}

void CMainFrame::CreateActions()
{
    for (const CommandInfo& info : Commands()) {
        auto* action = new QAction(QString::fromUtf8(info.label), this);
        action->setData(info.id);
        // Window-wide, so Del or F2 act on the list also while the tree has the focus.
        if (info.key) action->setShortcut(QKeySequence(info.key));
        action->setShortcutContext(Qt::WindowShortcut);
        if (info.image) action->setIcon(QIcon(QString(":/icons/%1.png").arg(info.image)));
        action->setToolTip(QString::fromUtf8(info.toolTip));
        action->setStatusTip(QString::fromUtf8(info.prompt));
        addAction(action);
        m_actions[info.id] = action;
    }
}

QAction* CMainFrame::CommandAction(int id) const
{
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

QMenu* CMainFrame::AddMenu(const QString& title, std::initializer_list<int> ids)
{
    QMenu* menu = menuBar()->addMenu(title);
    for (const int id : ids) {
        if (id == kSeparator)
            menu->addSeparator();
        else
            menu->addAction(CommandAction(id));
    }
    return menu;
}

void CMainFrame::CreateMenus()
{
    using namespace res;
    AddMenu("&Datei", {ID_FILE_PLAY, ID_FILE_SETTINGS, kSeparator, ID_FILE_RENAME, ID_FILE_RENAME_ALL,
                       ID_FILE_REMOVE_ID3, ID_FILE_DELETE, ID_FILE_MULTITAG, ID_FILE_UNDO, kSeparator, ID_FILE_PRINT,
                       ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, kSeparator, ID_APP_EXIT});
    AddMenu("&Ansicht", {ID_VIEW_REFRESH, ID_VIEW_SELECT_ALL, kSeparator, ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR});
    AddMenu("?", {ID_APP_ABOUT});
}

void CMainFrame::CreateToolBar()
{
    using namespace res;
    m_wndToolBar = new QToolBar("Symbolleiste", this);
    m_wndToolBar->setObjectName("ToolBar");
    m_wndToolBar->setIconSize(QSize(16, 16));
    m_wndToolBar->setMovable(true);
    m_wndToolBar->setFloatable(true);
    m_wndToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (const int id : {ID_VIEW_REFRESH, ID_FILE_PRINT, kSeparator, ID_FILE_PLAY, ID_FILE_RENAME, ID_FILE_RENAME_ALL,
                         ID_FILE_REMOVE_ID3, ID_FILE_DELETE, ID_FILE_MULTITAG, ID_FILE_UNDO, kSeparator,
                         ID_FILE_SETTINGS, ID_APP_ABOUT}) {
        if (id == kSeparator)
            m_wndToolBar->addSeparator();
        else
            m_wndToolBar->addAction(CommandAction(id));
    }
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
}

void CMainFrame::CreateStatusBar()
{
    m_wndStatusBar = statusBar();
    m_wndStatusBar->setObjectName("StatusBar");
    // The idle text comes back whenever a menu prompt ends.
    connect(m_wndStatusBar, &QStatusBar::messageChanged, this, [this](const QString& message) {
        if (message.isEmpty()) m_wndStatusBar->showMessage(kIdleText);
    });
    m_wndStatusBar->showMessage(kIdleText);
    for (std::size_t i = 0; i < m_lockPanes.size(); ++i) {
        auto* pane = new QLabel(kLockPaneTexts[i], m_wndStatusBar);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance("NUM") + 12);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        m_wndStatusBar->addPermanentWidget(pane);
        m_lockPanes[i] = pane;
    }
    // The lock keys change also while another program has the keyboard, and
    // no event tells of it: they are read a few times a second, as the
    // framework reads them when idle.
    auto* lockTimer = new QTimer(this);
    connect(lockTimer, &QTimer::timeout, this, [this] { ShowLockKeys(ReadLockKeyState()); });
    lockTimer->start(kLockPollMilliseconds);
    ShowLockKeys(ReadLockKeyState());
}

void CMainFrame::ShowLockKeys(const LockKeyState& state)
{
    const std::array<std::optional<bool>, 3> keys{state.capsLock, state.numLock, state.scrollLock};
    for (std::size_t i = 0; i < m_lockPanes.size(); ++i) {
        // A key that is off shows an empty pane; one the platform does not tell about stays greyed.
        m_lockPanes[i]->setEnabled(keys[i].has_value());
        m_lockPanes[i]->setText(keys[i].value_or(true) ? kLockPaneTexts[i] : "");
    }
}

void CMainFrame::ConnectCommands()
{
    using namespace res;
    for (const CommandInfo& info : Commands())
        if (info.handler)
            connect(CommandAction(info.id), &QAction::triggered, m_view,
                    [this, &info] { RunViewCommand(*m_view, info); });
    connect(CommandAction(ID_APP_EXIT), &QAction::triggered, this, &QWidget::close);

    QAction* toolBar = CommandAction(ID_VIEW_TOOLBAR);
    toolBar->setCheckable(true);
    toolBar->setChecked(true);
    connect(toolBar, &QAction::toggled, m_wndToolBar, &QWidget::setVisible);
    connect(m_wndToolBar, &QToolBar::visibilityChanged, toolBar, &QAction::setChecked);
    QAction* statusBarAction = CommandAction(ID_VIEW_STATUS_BAR);
    statusBarAction->setCheckable(true);
    statusBarAction->setChecked(true);
    connect(statusBarAction, &QAction::toggled, m_wndStatusBar, &QWidget::setVisible);
}

void CMainFrame::OnUpdateFrameTitle(const QString& documentTitle)
{
    setWindowTitle(QString(kFrameTitle) + " - " + documentTitle);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    m_view->OnDestroy();
    QMainWindow::closeEvent(event);
}

#include "SonadexApp.h"

#include "AboutDlg.h"
#include "MainFrame.h"
#include "SonadexDoc.h"
#include "print/ViewPrinting.h"
#include "view/Resource.h"
#include "view/SonadexView.h"

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

CSonadexApp::CSonadexApp() = default;

// The window goes before the document it shows.
CSonadexApp::~CSonadexApp()
{
    m_pMainWnd.reset();
}

bool CSonadexApp::InitInstance()
{
    QCoreApplication::setApplicationName("Sonadex Pro");
    // No display name: Qt would append it to every caption (" — Sonadex Pro"),
    // and each window already carries the caption it should show.
    QGuiApplication::setWindowIcon(QIcon(":/icons/sonadex-pro.png"));
    m_pDocument = std::make_unique<CSonadexDoc>();
    m_pMainWnd = std::make_unique<CMainFrame>(*m_pDocument);
    connect(m_pMainWnd->CommandAction(res::ID_APP_ABOUT), &QAction::triggered, this, &CSonadexApp::OnAppAbout);
    connect(m_pMainWnd->CommandAction(res::ID_FILE_PRINT_SETUP), &QAction::triggered, this,
            &CSonadexApp::OnFilePrintSetup);

    CSonadexView* view = m_pMainWnd->GetActiveView();
    view->OnInitialUpdate();
    if (const std::optional<int> code = view->QuitRequested()) {
        m_exitCode = *code;
        return false;
    }
    // Sized to the screen first, so the window fills it also where no window
    // manager carries out the maximize.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) m_pMainWnd->setGeometry(screen->availableGeometry());
    m_pMainWnd->showMaximized();
    return true;
}

void CSonadexApp::OnAppAbout()
{
    CAboutDlg dialog(m_pMainWnd.get());
    dialog.exec();
}

void CSonadexApp::OnFilePrintSetup()
{
    RunPrinterSetup(m_pMainWnd.get());
}

// Start-up with its splash window, the stored settings, and the end of the view.
#include "SonadexView.h"

#include "language/TextIds.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/WaitCursor.h"
#include "settings/StoredSettings.h"
#include "view/SplashDlg.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace {

constexpr const char* kCaption = "Sonadex Pro";
constexpr std::uint32_t kSplashMilliseconds = 3000;

} // namespace

void CSonadexView::OnInitialUpdate()
{
    platform::CWaitCursor wait;
    m_bLayoutFrozen = false;
    OnSize(width(), height());

    CSplashDlg splash(this);
    splash.ShowCentred();
    QCoreApplication::processEvents();
    const std::uint32_t t0 = platform::timeGetTime();

    if (!LoadLanguage()) return EndStartUp("Unable to read language settings.");
    if (!ReadStoredSettings()) return EndStartUp(GetText(text::kNoSettings));

    InitFolderTreeImages();
    FillDriveTree();
    InitFileListImages();
    InitFileListColumns();
    FillFileList();
    ApplyLanguage();

    KeepSplashUntil(t0);
    m_bRunning = true;
}

bool CSonadexView::ReadStoredSettings()
{
    const std::optional<settings::ProgramSettings> stored = settings::ReadProgramSettings();
    if (!stored) return false;
    m_strRenamePattern = stored->renamePattern;
    m_bPrompt = stored->prompt;
    m_strFolder = stored->lastPath;
    return true;
}

// Keeps the splash up for its full time while the window stays responsive;
// short waits instead of a busy loop leave the processor to others.
void CSonadexView::KeepSplashUntil(std::uint32_t t0) const
{
    // Elapsed time by unsigned difference, so a clock wrap ends the wait too.
    while (platform::timeGetTime() - t0 < kSplashMilliseconds) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

// A start-up failure: tell the user, and end the program with code 0 once
// the caller returns (the application asks QuitRequested).
void CSonadexView::EndStartUp(const std::string& message)
{
    // The main window is not shown yet: the box takes the splash's place,
    // centred as it is. The splash stays on top, so it goes first.
    QWidget* splash = findChild<CSplashDlg*>();
    if (splash) splash->hide();
    platform::MessageBox(splash ? splash : this, message, kCaption, platform::MB_OK | platform::MB_ICONSTOP);
    m_quitCode = 0;
}

void CSonadexView::OnDestroy()
{
    if (m_bDestroyed) return;
    m_bDestroyed = true;
    // Only a view that started fully knows the folder; a failed start must
    // not wipe the folder stored by the last good run.
    if (m_bRunning) settings::StoreLastPath(m_strFolder);
    if (m_tblLanguage.IsLoaded()) m_tblLanguage.Close();
}

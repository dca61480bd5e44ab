// Start-up with its splash window, the stored settings, and the end of the view.
#include "SonadexView.h"

#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/StoredPath.h"
#include "platform/WaitCursor.h"
#include "view/SplashDlg.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace {

constexpr const char* kSettingsKey = "Software\\Velmora\\Sonadex Pro";
constexpr const char* kCaption = "Sonadex Pro";
constexpr std::uint32_t kSplashMilliseconds = 3000;
constexpr std::size_t kValueBuffer = 260;
// A path holds host bytes: a name of many non-Latin characters takes three
// bytes a character, so a path gets the host's own limit.
constexpr std::size_t kPathBuffer = 4096;

// A value that is missing or does not fit counts as empty text.
std::string ReadValue(const platform::CRegKey& key, const std::string& name, std::size_t buffer = kValueBuffer)
{
    std::string value;
    if (key.QueryStringValue(name, value, buffer) != platform::ERROR_SUCCESS) value.clear();
    return value;
}

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
    if (!ReadStoredSettings()) return EndStartUp(GetText(61));

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
    platform::CRegKey key;
    if (key.Open(kSettingsKey, platform::KEY_READ) != platform::ERROR_SUCCESS) return false;
    m_strRenamePattern = ReadValue(key, "Rename");
    m_bPrompt = ReadValue(key, "Prompt") == "TRUE";
    m_strFolder = platform::ResolveStoredPath(ReadValue(key, "LastPath", kPathBuffer));
    key.Close();
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
    platform::MessageBox(this, message, kCaption, platform::MB_OK | platform::MB_ICONSTOP);
    m_quitCode = 0;
}

void CSonadexView::OnDestroy()
{
    if (m_bDestroyed) return;
    m_bDestroyed = true;
    // Only a view that started fully knows the folder; a failed start must
    // not wipe the folder stored by the last good run.
    if (m_bRunning) {
        platform::CRegKey key;
        if (key.Open(kSettingsKey, platform::KEY_WRITE) == platform::ERROR_SUCCESS) {
            key.SetStringValue("LastPath", m_strFolder);
            key.Close();
        }
    }
    if (m_tblLanguage.IsLoaded()) m_tblLanguage.Close();
}

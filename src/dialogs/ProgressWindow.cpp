#include "ProgressWindow.h"
#include "LanguageQText.h"

#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "platform/QtText.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <algorithm>
#include <climits>

namespace dialogs {

namespace {

ProgressTiming g_timing;

// The folder line's width in average characters: a deep folder is cut in
// the middle rather than widening the dialog.
constexpr int kFolderChars = 60;

int ClampedCount(std::size_t count)
{
    return static_cast<int>(std::min<std::size_t>(count, INT_MAX));
}

} // namespace

void CProgressWindow::SetTiming(const ProgressTiming& timing)
{
    g_timing = timing;
}

CProgressWindow::CProgressWindow(QWidget* owner, CTableFile& languageTable)
    : m_languageTable(languageTable), m_dialog(std::make_unique<QProgressDialog>(owner))
{
    m_dialog->setObjectName("progressDialog");
    m_dialog->setWindowTitle(QStringLiteral("Sonadex Pro"));
    // The work runs inside this step: no other window may start more meanwhile.
    m_dialog->setWindowModality(Qt::ApplicationModal);
    // A language without the text keeps Qt's own word: the button must stay.
    if (const std::string cancel = GetText(m_languageTable, text::kCancel); !cancel.empty())
        m_dialog->setCancelButtonText(platform::ToQString(cancel));
    // The count of files found grows with the walk; reaching it is no end.
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    m_dialog->setMinimumDuration(static_cast<int>(g_timing.showAfter.count()));
    m_dialog->setMinimumWidth(m_dialog->fontMetrics().averageCharWidth() * (kFolderChars + 8));
    m_wait.emplace();
    m_clock.start();
}

CProgressWindow::~CProgressWindow() = default;

bool CProgressWindow::Step(const WorkProgress& progress)
{
    if (Cancelled()) return false;
    if (!RefreshDue()) return true;
    Refresh(progress);
    // Until the dialog is up, the user's clicks wait: they must not reach a window the work is changing.
    QCoreApplication::processEvents(m_dialog->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    return !Cancelled();
}

ProgressHook CProgressWindow::Hook()
{
    return [this](const WorkProgress& progress) { return Step(progress); };
}

bool CProgressWindow::Cancelled() const
{
    return m_dialog->wasCanceled();
}

bool CProgressWindow::RefreshDue() const
{
    const std::chrono::milliseconds now{m_clock.elapsed()};
    return !m_lastRefresh || now - *m_lastRefresh >= g_timing.refreshEvery;
}

void CProgressWindow::Refresh(const WorkProgress& progress)
{
    m_lastRefresh = std::chrono::milliseconds{m_clock.elapsed()};
    m_dialog->setLabelText(LabelText(progress));
    m_dialog->setMaximum(std::max(ClampedCount(progress.found), 1));
    m_dialog->setValue(ClampedCount(progress.done));
    if (!m_dialog->isVisible() && *m_lastRefresh >= g_timing.showAfter) m_dialog->show();
    if (m_dialog->isVisible()) m_wait.reset();
}

QString CProgressWindow::LabelText(const WorkProgress& progress) const
{
    const QString count =
        platform::FillPlaceholders(dialogs::LanguageQText(m_languageTable, text::kProgressCount),
                                   {QString::number(progress.done), QString::number(progress.found)});
    const QFontMetrics metrics = m_dialog->fontMetrics();
    const QString folder = metrics.elidedText(platform::PathToQString(progress.folder), Qt::ElideMiddle,
                                              metrics.averageCharWidth() * kFolderChars);
    return count + "\n" + folder;
}

} // namespace dialogs

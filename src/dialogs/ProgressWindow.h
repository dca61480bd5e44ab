// The progress dialog of long work on many files: MultiTag, Rename all,
// Remove tag, Delete, collecting a printout. It appears once the work has
// taken a moment, shows "n of m files" and the folder the work is in, and
// its Cancel stops the work between two files. The work runs on the
// window's thread: each step lets the windows paint and the dialog answer.
#pragma once

#include "ops/WorkProgress.h"
#include "platform/WaitCursor.h"

#include <QElapsedTimer>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class CTableFile;
class QProgressDialog;
class QWidget;

namespace dialogs {

struct ProgressTiming {
    std::chrono::milliseconds showAfter{500};   // work done sooner shows no dialog
    std::chrono::milliseconds refreshEvery{20}; // the least time between two redraws
};

class CProgressWindow {
public:
    CProgressWindow(QWidget* owner, CTableFile& languageTable);
    ~CProgressWindow();
    CProgressWindow(const CProgressWindow&) = delete;
    CProgressWindow& operator=(const CProgressWindow&) = delete;

    // Shows how far the work is and lets the windows answer; false once
    // Cancel was pressed.
    bool Step(const WorkProgress& progress);
    // Step, as the core's walks take it.
    ProgressHook Hook();
    bool Cancelled() const;

    // Tests let the dialog appear at the first step and redraw at every one.
    static void SetTiming(const ProgressTiming& timing);

private:
    bool RefreshDue() const;
    void Refresh(const WorkProgress& progress);
    QString LabelText(const WorkProgress& progress) const;

    CTableFile& m_languageTable;
    std::unique_ptr<QProgressDialog> m_dialog;
    QElapsedTimer m_clock; // since the work began
    std::optional<std::chrono::milliseconds> m_lastRefresh;
    // Until the dialog shows, the wait cursor says that the window is busy;
    // over the dialog the pointer is the user's again, to reach Cancel.
    std::optional<platform::CWaitCursor> m_wait;
};

} // namespace dialogs

// A walk's side of a ProgressHook: counts its files, tells the folder it
// enters, and remembers the user's stop.
#pragma once

#include "WorkProgress.h"

struct FolderWalkCallbacks;

class CWalkProgress {
public:
    explicit CWalkProgress(const ProgressHook& hook) : m_hook(hook) {}
    CWalkProgress(const CWalkProgress&) = delete;
    CWalkProgress& operator=(const CWalkProgress&) = delete;

    // The walk tells each folder it enters, and ends once the work is stopped.
    void Attach(FolderWalkCallbacks& callbacks);
    void Found() { ++m_progress.found; }
    // One more file finished; asks the hook whether to go on.
    void Done();
    bool Stopped() const { return m_stopped; }

private:
    void EnterFolder(const std::string& folder);
    void Ask();

    const ProgressHook& m_hook;
    WorkProgress m_progress;
    bool m_stopped = false;
};

#include "WalkProgress.h"

#include "FolderWalk.h"

void CWalkProgress::Attach(FolderWalkCallbacks& callbacks)
{
    callbacks.onFolder = [this](const std::string& folder) { EnterFolder(folder); };
    callbacks.stopped = [this] { return m_stopped; };
}

void CWalkProgress::Done()
{
    ++m_progress.done;
    Ask();
}

// A folder without files still shows, so a long walk through empty folders is seen to move.
void CWalkProgress::EnterFolder(const std::string& folder)
{
    m_progress.folder = folder;
    Ask();
}

void CWalkProgress::Ask()
{
    if (m_hook && !m_stopped) m_stopped = !m_hook(m_progress);
}

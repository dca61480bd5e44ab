// Reads a folder's rows off the window's thread. A folder that answers at
// once is read as before; a slow one (a cold disk, a network share) leaves
// the window painting, shows how far the reads are, and Esc stops them with
// the rows read so far.
#pragma once

#include "ops/FileListing.h"

#include <QObject>

class QEventLoop;

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>

struct FolderFillResult {
    FileListing listing;
    bool stopped = false; // Esc ended the reads; the listing holds the rows read
};

class CFolderFill : public QObject {
public:
    // Runs on a thread of its own with reading's counters and stop set.
    using Reader = std::function<FileListing(const ListReading&)>;
    // On the window's thread, every few tenths of a second once the fill
    // takes longer than a moment: files read, files found.
    using Progress = std::function<void(std::size_t, std::size_t)>;

    explicit CFolderFill(Progress progress) : m_progress(std::move(progress)) {}

    FolderFillResult Run(const Reader& read, ListReading reading);

    // How long a fill may take before the window paints meanwhile.
    static constexpr std::chrono::milliseconds kMoment{50};

protected:
    // While the window waits: Esc stops, other input is held back, so no
    // command runs on a list that is being filled.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WaitPainting();
    // On the window's thread once the reads have ended.
    void EndWait();
    void ShowProgress() const { m_progress(m_read, m_found); }

    Progress m_progress;
    std::atomic<std::size_t> m_found = 0;
    std::atomic<std::size_t> m_read = 0;
    std::atomic<bool> m_stop = false;
    QEventLoop* m_waiting = nullptr; // the wait's loop, while it runs
};

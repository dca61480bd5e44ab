#include "FolderFill.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QTimer>

#include <future>

namespace {

constexpr std::chrono::milliseconds kProgressEvery{100};

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::Wheel:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

FolderFillResult CFolderFill::Run(const Reader& read, ListReading reading)
{
    m_found = 0;
    m_read = 0;
    m_stop = false;
    reading.found = &m_found;
    reading.read = &m_read;
    reading.stop = &m_stop;
    std::future<FileListing> reads = std::async(std::launch::async, [this, &read, reading] {
        // Ends the wait, if there is one; a call left for a fill already gone is dropped.
        const auto tellEnd =
            qScopeGuard([this] { QMetaObject::invokeMethod(this, [this] { EndWait(); }, Qt::QueuedConnection); });
        return read(reading);
    });
    if (reads.wait_for(kMoment) != std::future_status::ready) WaitPainting();
    FolderFillResult result{reads.get(), m_stop}; // a reader's exception goes on to the caller
    return result;
}

void CFolderFill::WaitPainting()
{
    QEventLoop loop;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &loop, [this] { ShowProgress(); });
    QCoreApplication::instance()->installEventFilter(this);
    ShowProgress();
    timer.start(kProgressEvery);
    m_waiting = &loop;
    loop.exec();
    m_waiting = nullptr;
    QCoreApplication::instance()->removeEventFilter(this);
}

void CFolderFill::EndWait()
{
    if (m_waiting) m_waiting->quit();
}

bool CFolderFill::eventFilter(QObject* /*watched*/, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) m_stop = true;
    // Closing the window stops the reads first; the user closes it again.
    if (event->type() == QEvent::Close) {
        m_stop = true;
        event->ignore();
        return true;
    }
    return IsUserInput(event->type());
}

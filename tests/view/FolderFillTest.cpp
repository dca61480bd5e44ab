// The window's fill of a slow folder: it keeps painting, tells how far it
// is, holds back other input, and Esc stops it with the rows read so far.
#include "view/FolderFill.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace {

class CPaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* /*event*/) override { ++paints; }
};

// A device that answers one file every millisecond, until it is told to stop.
FileListing SlowReads(const ListReading& how)
{
    FileListing listing;
    *how.found = 1000;
    while (!how.Stopped() && listing.rows.size() < 1000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        listing.rows.emplace_back().name = std::to_string(listing.rows.size()) + ".mp3";
        ++*how.read;
    }
    listing.count = static_cast<int>(listing.rows.size());
    return listing;
}

void Press(QWidget& target, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&target, &press);
}

void Click(QWidget& target)
{
    const QPointF at(target.width() / 2.0, target.height() / 2.0);
    const QPointF global = target.mapToGlobal(at);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, global, Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &event);
    }
}

TEST(FolderFill, ASlowFolderPaintsShowsProgressAndStopsOnEsc)
{
    CPaintCounter window;
    window.resize(200, 100);
    window.show();
    QPushButton command("Delete", &window);
    int commandsRun = 0;
    QObject::connect(&command, &QPushButton::clicked, [&] { ++commandsRun; });

    std::vector<std::pair<std::size_t, std::size_t>> shown;
    CFolderFill fill([&](std::size_t read, std::size_t found) { shown.emplace_back(read, found); });
    int ticks = 0;
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        ++ticks;
        window.update();
        if (ticks == 3) { // held back: the list is not there yet
            Click(command);
            Press(command, Qt::Key_Space);
        }
        if (shown.size() >= 3 && shown.back().first > 0) Press(window, Qt::Key_Escape);
    });
    user.start(20);
    const int paintsBefore = window.paints;

    const FolderFillResult result = fill.Run(SlowReads, {});
    user.stop();

    EXPECT_TRUE(result.stopped);
    ASSERT_FALSE(result.listing.rows.empty());
    EXPECT_LT(result.listing.rows.size(), 1000u);
    EXPECT_GT(window.paints, paintsBefore) << "the window did not paint while the folder was read";
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown.back().second, 1000u);
    for (std::size_t i = 1; i < shown.size(); ++i)
        EXPECT_GE(shown[i].first, shown[i - 1].first) << "progress went back";
    EXPECT_EQ(commandsRun, 0) << "a key reached a command while the list was filled";
}

TEST(FolderFill, AFolderThatAnswersAtOnceRunsNothingElseMeanwhile)
{
    bool otherWorkRan = false;
    QTimer::singleShot(0, [&] { otherWorkRan = true; });
    int progressShown = 0;
    CFolderFill fill([&](std::size_t, std::size_t) { ++progressShown; });
    const FolderFillResult result = fill.Run(
        [](const ListReading&) {
            FileListing listing;
            listing.rows.emplace_back().name = "a.mp3";
            return listing;
        },
        {});
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.listing.rows.size(), 1u);
    EXPECT_EQ(progressShown, 0);
    EXPECT_FALSE(otherWorkRan) << "a quick fill let queued work run in the middle of a command";
    QApplication::processEvents();
    EXPECT_TRUE(otherWorkRan);
}

TEST(FolderFill, AFailedReadReachesTheCaller)
{
    CFolderFill fill([](std::size_t, std::size_t) {});
    for (const int delay : {0, 200}) {
        SCOPED_TRACE(delay);
        EXPECT_THROW(fill.Run(
                         [delay](const ListReading&) -> FileListing {
                             std::this_thread::sleep_for(std::chrono::milliseconds(delay));
                             throw std::runtime_error("device gone");
                         },
                         {}),
                     std::runtime_error);
    }
}

} // namespace

// The folder tree: drives, images, lazy reading, selection and Refresh.
#include "ViewHarness.h"

#include "app/MainFrame.h"
#include "platform/Machine.h"
#include "platform/QtText.h"
#include "view/Resource.h"
#include "view/SonadexView.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QKeyEvent>
#include <QTreeWidget>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int Image(const QTreeWidgetItem* node)
{
    return node->data(0, CSonadexView::kImageRole).toInt();
}

} // namespace

TEST(FolderTree, DrivesInLetterOrderWithLabelsAndBarePaths)
{
    ViewHarness h;
    const std::string d = h.machine.Root() + "/../d";
    std::filesystem::create_directories(d);
    platform::InstallMachine(platform::Machine{
        platform::CodePage(1252),
        platform::DriveTable({platform::Drive{'D', d, ""}, platform::Drive{'C', h.machine.Root(), "Da(t)en"},
                              platform::Drive{'F', h.machine.Root() + "/../none", "x"}})});
    ASSERT_TRUE(h.Start());

    const QTreeWidget* tree = h.View().FolderTree();
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Da(t)en (C:)");
    EXPECT_EQ(tree->topLevelItem(1)->text(0), " (D:)");
    EXPECT_EQ(h.View().GetFolderPath(tree->topLevelItem(0)), "C:");
    EXPECT_EQ(h.View().GetFolderPath(tree->topLevelItem(1)), "D:");
    // An empty drive has nothing to open.
    EXPECT_EQ(tree->topLevelItem(1)->childCount(), 0);
}

TEST(FolderTree, RecycleBinImageOnlyAtTheTopOfADrive)
{
    ViewHarness h;
    h.machine.MakeDir("Recycled");
    h.machine.MakeDir("music/RECYCLED");
    ASSERT_TRUE(h.Start({.lastPath = "C:\\music"}));

    QTreeWidgetItem* drive = h.View().FolderTree()->topLevelItem(0);
    ASSERT_NE(ChildNode(drive, "Recycled"), nullptr);
    EXPECT_EQ(Image(ChildNode(drive, "Recycled")), CSonadexView::kImageRecycled);
    QTreeWidgetItem* music = ChildNode(drive, "music");
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(Image(music), CSonadexView::kImageFolder);
    ASSERT_NE(ChildNode(music, "RECYCLED"), nullptr);
    EXPECT_EQ(Image(ChildNode(music, "RECYCLED")), CSonadexView::kImageFolder);
    EXPECT_EQ(Image(drive), CSonadexView::kImageFixed);
}

TEST(FolderTree, OpeningANodeReadsExactlyOneLevelAhead)
{
    ViewHarness h;
    h.machine.MakeDir("m/n/o/p");
    ASSERT_TRUE(h.Start());
    QTreeWidgetItem* drive = h.View().FolderTree()->topLevelItem(0);
    QTreeWidgetItem* m = ChildNode(drive, "m");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->childCount(), 0) << "a closed drive knows only its top folders";

    drive->setExpanded(true);
    QTreeWidgetItem* n = ChildNode(m, "n");
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->childCount(), 0);

    h.machine.MakeDir("m/late"); // m has been read: stays unknown until Refresh
    m->setExpanded(true);
    QTreeWidgetItem* o = ChildNode(n, "o");
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->childCount(), 0) << "p is two levels below what shows";
    EXPECT_EQ(ChildNode(m, "late"), nullptr);

    // Opening n reads its leaf o as it is now.
    h.machine.MakeDir("m/n/o/q");
    n->setExpanded(true);
    EXPECT_NE(ChildNode(o, "p"), nullptr);
    EXPECT_NE(ChildNode(o, "q"), nullptr);
}

TEST(FolderTree, SelectingAFolderMakesItCurrent)
{
    ViewHarness h;
    h.machine.WriteFile("songs/one.mp3", Untagged());
    ASSERT_TRUE(h.Start());
    QTreeWidgetItem* songs = ChildNode(h.View().FolderTree()->topLevelItem(0), "songs");
    ASSERT_NE(songs, nullptr);
    h.View().FolderTree()->setCurrentItem(songs);
    EXPECT_EQ(h.View().m_strFolder, "C:\\songs");
    EXPECT_EQ(h.Frame().windowTitle(), "Sonadex Pro - C:\\songs");
    EXPECT_EQ(h.RowNames(), std::vector<std::string>{"one.mp3"});
}

TEST(FolderTree, RefreshRereadsTheTreeKeepsTheFolderAndFillsOnce)
{
    ViewHarness h;
    h.machine.WriteFile("a/b/one.mp3", Untagged());
    ASSERT_TRUE(h.Start({.lastPath = "C:\\a\\b"}));
    h.machine.MakeDir("new");
    h.machine.WriteFile("a/b/two.mp3", Untagged());
    int fills = 0;
    QObject::connect(h.View().FileList()->model(), &QAbstractItemModel::modelReset, [&fills] { ++fills; });

    h.Command(res::ID_VIEW_REFRESH);

    EXPECT_EQ(fills, 1);
    EXPECT_EQ(h.View().m_strFolder, "C:\\a\\b");
    const QTreeWidgetItem* current = h.View().FolderTree()->currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(h.View().GetFolderPath(current), "C:\\a\\b");
    EXPECT_NE(ChildNode(h.View().FolderTree()->topLevelItem(0), "new"), nullptr);
    EXPECT_EQ(h.RowNames(), (std::vector<std::string>{"one.mp3", "two.mp3"}));
    EXPECT_FALSE(h.View().m_bRebuildingTree);
}

// The platform's rule: collapsing a node above the selected folder moves the
// selection to it, and it becomes the current folder with its list. A node
// beside the selection changes nothing.
TEST(FolderTree, CollapsingANodeAboveTheSelectionMakesItTheCurrentFolder)
{
    const struct {
        const char* collapsed; // path below the drive, "" for the drive node
        const char* folder;
        std::vector<std::string> rows;
    } cases[] = {
        {"a", "C:\\a", {"two.mp3"}},
        {"", "C:", {"top.mp3"}},
        {"other", "C:\\a\\b", {"one.mp3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.collapsed);
        ViewHarness h;
        h.machine.WriteFile("a/b/one.mp3", Untagged());
        h.machine.WriteFile("a/two.mp3", Untagged());
        h.machine.WriteFile("top.mp3", Untagged());
        h.machine.MakeDir("other/inner/deep");
        ASSERT_TRUE(h.Start({.lastPath = "C:\\a\\b"}));
        QTreeWidget* tree = h.View().FolderTree();
        QTreeWidgetItem* drive = tree->topLevelItem(0);
        QTreeWidgetItem* other = ChildNode(drive, "other");
        ASSERT_NE(other, nullptr);
        tree->expandItem(other);
        QTreeWidgetItem* node = *c.collapsed ? ChildNode(drive, c.collapsed) : drive;
        ASSERT_NE(node, nullptr);
        ASSERT_TRUE(node->isExpanded());

        tree->collapseItem(node);

        EXPECT_EQ(h.View().m_strFolder, c.folder);
        const QList<QTreeWidgetItem*> selected = tree->selectedItems();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(h.View().GetFolderPath(selected.front()), c.folder);
        EXPECT_EQ(h.Frame().windowTitle().toStdString(), std::string("Sonadex Pro - ") + c.folder);
        EXPECT_EQ(h.RowNames(), c.rows);
    }
}

// Number of nodes below node, all levels.
int NodesBelow(const QTreeWidgetItem* node)
{
    int count = node->childCount();
    for (int i = 0; i < node->childCount(); ++i)
        count += NodesBelow(node->child(i));
    return count;
}

// The numeric keypad's * opens every folder below the current one. Links
// back up the path (two to the folder itself, one to the drive, a loop through
// a folder outside the drive) end the expanding at the first folder already on
// the path; FIFOs, devices and unreadable folders add nothing.
TEST(FolderTree, ExpandAllStopsAtAFolderAlreadyOnThePath)
{
    namespace fs = std::filesystem;
    ViewHarness h;
    h.machine.MakeDir("loop/real/deeper");
    fs::create_directory_symlink(".", h.machine.Host("loop/a"));
    fs::create_directory_symlink(".", h.machine.Host("loop/b"));
    fs::create_directory_symlink(h.machine.Root(), h.machine.Host("loop/real/up"));
    const fs::path outside = fs::path(h.machine.Root()).parent_path() / "outside";
    fs::create_directories(outside);
    fs::create_directory_symlink(h.machine.Host("loop"), outside / "back");
    fs::create_directory_symlink(outside, h.machine.Host("loop/out"));
    ASSERT_EQ(mkfifo(h.machine.Host("loop/fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/null", h.machine.Host("loop/device"));
    h.machine.MakeDir("loop/locked/hidden");
    ASSERT_EQ(chmod(h.machine.Host("loop/locked").c_str(), 0), 0);
    ASSERT_TRUE(h.Start({.lastPath = "C:\\loop"}));

    QTreeWidget* tree = h.View().FolderTree();
    QTreeWidgetItem* loop = ChildNode(tree->topLevelItem(0), "loop");
    ASSERT_NE(loop, nullptr);
    tree->setCurrentItem(loop);
    tree->setFocus();
    QKeyEvent star(QEvent::KeyPress, Qt::Key_Asterisk, Qt::KeypadModifier, "*");
    QApplication::sendEvent(tree, &star);

    for (const char* self : {"a", "b"}) {
        SCOPED_TRACE(self);
        QTreeWidgetItem* link = ChildNode(loop, self);
        ASSERT_NE(link, nullptr) << "a link to a folder is shown";
        EXPECT_EQ(link->childCount(), 0);
    }
    QTreeWidgetItem* real = ChildNode(loop, "real");
    ASSERT_NE(real, nullptr);
    ASSERT_NE(ChildNode(real, "deeper"), nullptr);
    ASSERT_NE(ChildNode(real, "up"), nullptr);
    EXPECT_EQ(ChildNode(real, "up")->childCount(), 0);
    QTreeWidgetItem* out = ChildNode(loop, "out");
    ASSERT_NE(out, nullptr);
    ASSERT_NE(ChildNode(out, "back"), nullptr);
    EXPECT_EQ(ChildNode(out, "back")->childCount(), 0);
    EXPECT_EQ(ChildNode(loop, "fifo"), nullptr);
    EXPECT_EQ(ChildNode(loop, "device"), nullptr);
    // a, b, locked, out, out\back, real, real\deeper, real\up: nothing more
    // (root reads the locked folder all the same).
    const int hiddenShown = access(h.machine.Host("loop/locked").c_str(), R_OK | X_OK) == 0 ? 1 : 0;
    EXPECT_EQ(NodesBelow(loop), 8 + hiddenShown);
    chmod(h.machine.Host("loop/locked").c_str(), 0700);
    fs::remove_all(outside);
}

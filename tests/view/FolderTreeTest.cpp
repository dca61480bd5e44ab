// The folder tree: drives, images, lazy reading, selection and Refresh.
#include "ViewHarness.h"

#include "app/MainFrame.h"
#include "platform/Machine.h"
#include "platform/QtText.h"
#include "view/Resource.h"
#include "view/SonadexView.h"

#include <QAbstractItemModel>
#include <QTreeWidget>
#include <filesystem>
#include <gtest/gtest.h>

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

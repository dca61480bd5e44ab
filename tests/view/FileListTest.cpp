// The file list: rows, icons, order, summary, column widths and layout.
#include "ViewHarness.h"

#include "app/MainFrame.h"
#include "platform/QtText.h"
#include "view/Resource.h"
#include "view/SonadexView.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <map>

namespace {

const QTreeWidgetItem* Row(const CSonadexView& view, const std::string& name)
{
    const QTreeWidget* list = view.FileList();
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        if (platform::FromQString(list->topLevelItem(row)->text(0)) == name) return list->topLevelItem(row);
    return nullptr;
}

} // namespace

TEST(FileList, IconsShowMatchTaggedAndUntagged)
{
    ViewHarness h;
    const TagSpec artTit{
        .title = "Tit", .artist = "Art", .album = "Alb", .year = "1999", .comment = "Com", .genre = 17};
    h.machine.WriteFile("f/Art - Tit.mp3", Tagged(artTit));
    h.machine.WriteFile("f/art - tit.MP3", Tagged(artTit)); // only the case differs
    h.machine.WriteFile("f/other.mp3", Tagged(artTit));
    h.machine.WriteFile("f/plain.mp3", Untagged());
    h.machine.WriteFile("f/ - .mp3", Untagged()); // the pattern's name for empty fields
    h.machine.MakeDir("f/x.mp3");
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));

    const struct {
        const char* name;
        int image;
    } cases[] = {{"Art - Tit.mp3", 0}, {"art - tit.MP3", 1}, {"other.mp3", 1},
                 {"plain.mp3", 2},     {" - .mp3", 0},       {"x.mp3", 2}};
    std::map<int, qint64> iconOfImage; // each state shows one picture, distinct from the others
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QTreeWidgetItem* row = Row(h.View(), c.name);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->data(0, CSonadexView::kImageRole).toInt(), c.image);
        EXPECT_FALSE(row->icon(0).isNull());
        const auto [at, added] = iconOfImage.emplace(c.image, row->icon(0).cacheKey());
        EXPECT_EQ(at->second, row->icon(0).cacheKey());
    }
    ASSERT_EQ(iconOfImage.size(), 3u);
    EXPECT_NE(iconOfImage[0], iconOfImage[1]);
    EXPECT_NE(iconOfImage[1], iconOfImage[2]);
    EXPECT_NE(iconOfImage[0], iconOfImage[2]);
    const QTreeWidgetItem* tagged = Row(h.View(), "other.mp3");
    const QStringList expected = {"other.mp3", "1.00 KB", "Art", "Tit", "Alb", "1999", "Rock", "Com"};
    for (int column = 0; column < 8; ++column)
        EXPECT_EQ(tagged->text(column), expected[column]) << "column " << column;
    EXPECT_EQ(Row(h.View(), "plain.mp3")->text(1), "1.00 KB");
    EXPECT_EQ(Row(h.View(), "plain.mp3")->text(2), "");
    EXPECT_EQ(Row(h.View(), "x.mp3")->text(1), "");
    // 3 x 1152 + 2 x 1024 bytes = 5 KB; the folder counts but adds nothing.
    EXPECT_EQ(h.StatusText(), "6 Dateien, 5.00 KB");
}

TEST(FileList, RowsAreOrderedByNameIgnoringCase)
{
    ViewHarness h;
    for (const char* name : {"b.mp3", "A.MP3", "c.Mp3", "B2.mp3"})
        h.machine.WriteFile(std::string("f/") + name, Untagged());
    h.machine.WriteFile("f/notes.txt", "x");
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    EXPECT_EQ(h.RowNames(), (std::vector<std::string>{"A.MP3", "b.mp3", "B2.mp3", "c.Mp3"}));
}

TEST(FileList, NamesShowAsTheHostSpellsThemAndStillNameTheirFiles)
{
    ViewHarness h;
    h.machine.WriteFile("f/M\xC3\xBCller.mp3", Tagged({.title = "T", .artist = "A"}));
    ASSERT_TRUE(h.Start({.lastPath = "C:\\f"}));
    const QTreeWidget* list = h.View().FileList();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QString::fromUtf8("M\xC3\xBCller.mp3"));

    h.SelectRows({"M\xC3\xBCller.mp3"});
    h.Command(res::ID_FILE_RENAME);
    EXPECT_TRUE(h.machine.Exists("f/A - T.mp3"));
    EXPECT_FALSE(h.machine.Exists("f/M\xC3\xBCller.mp3"));
}

TEST(FileList, EmptyFolderGivesAnEmptyListAndABareSummary)
{
    ViewHarness h;
    h.machine.MakeDir("empty");
    ASSERT_TRUE(h.Start({.lastPath = "C:\\empty"}));
    EXPECT_TRUE(h.RowNames().empty());
    EXPECT_EQ(h.StatusText(), "0 Dateien, ");
}

TEST(FileList, ColumnsTakeThirtyAndTenPercentOfTheClientWidth)
{
    ViewHarness h;
    ASSERT_TRUE(h.Start());
    QTreeWidget* list = h.View().FileList();
    list->resize(1000 + 2 * list->frameWidth(), 400);
    ASSERT_EQ(list->viewport()->width(), 1000);
    h.View().SizeFileListColumns();
    EXPECT_EQ(list->columnWidth(0), 300);
    for (int column = 1; column < 8; ++column)
        EXPECT_EQ(list->columnWidth(column), 100) << "column " << column;
    EXPECT_FALSE(list->header()->sectionsClickable());
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST(FileList, LayoutSplitsTheViewAQuarterToTheTree)
{
    ViewHarness h;
    ASSERT_TRUE(h.Start());
    h.View().resize(420, 300);
    EXPECT_EQ(h.View().FolderTree()->geometry(), QRect(10, 10, 100, 280));
    EXPECT_EQ(h.View().FileList()->geometry(), QRect(110, 10, 300, 280));
}

// The file list: one row per MP3 file of the current folder, with its tag.
#include "SonadexView.h"

#include "FolderFill.h"
#include "language/TextIds.h"
#include "ops/FileListing.h"
#include "ops/ParallelFor.h"
#include "platform/FileSystemKind.h"
#include "platform/QtText.h"
#include "platform/WaitCursor.h"
#include "view/SplashDlg.h"

#include <QTreeWidget>
#include <algorithm>

namespace {

constexpr int kColumnCount = static_cast<int>(text::kColumnHeadings.size());

} // namespace

void CSonadexView::InitFileListImages()
{
    m_imlFiles = {QIcon(":/icons/state-match.png"), QIcon(":/icons/state-tagged.png"),
                  QIcon(":/icons/state-untagged.png")};
}

void CSonadexView::InitFileListColumns()
{
    m_listFiles->setColumnCount(kColumnCount);
    QStringList headings;
    for (const int heading : text::kColumnHeadings)
        headings << platform::ToQString(GetText(heading));
    m_listFiles->setHeaderLabels(headings);
    for (int column = 0; column < kColumnCount; ++column)
        m_listFiles->setColumnWidth(column, 0);
}

void CSonadexView::SizeFileListColumns()
{
    // 30 % for the file name, 10 % for every other column, cut toward zero.
    const double unit = m_listFiles->viewport()->width() / 100.0;
    m_listFiles->setColumnWidth(0, static_cast<int>(unit * 30));
    for (int column = 1; column < kColumnCount; ++column)
        m_listFiles->setColumnWidth(column, static_cast<int>(unit * 10));
}

QTreeWidgetItem* CSonadexView::MakeFileItem(const FileRow& row) const
{
    using platform::ToQString;
    // The name is host bytes, shown decoded as UTF-8; the row keeps the bytes to address its file.
    // Columns: name, size, then the six fields in Field order.
    QStringList texts{platform::PathToQString(row.name), ToQString(row.sizeText)};
    for (const std::string& field : row.fields)
        texts.append(ToQString(field));
    auto* item = new QTreeWidgetItem(texts);
    const int image = static_cast<int>(row.state);
    item->setIcon(0, m_imlFiles.at(static_cast<std::size_t>(image)));
    item->setData(0, kNameRole, QByteArray::fromStdString(row.name));
    item->setData(0, kImageRole, image);
    return item;
}

void CSonadexView::FillFileList()
{
    platform::CWaitCursor wait;
    // Empty while a slow folder is read, rather than showing the rows of the last one.
    m_listFiles->clear();
    const FolderFillResult fill = ReadFolderRows();
    m_listFiles->setUpdatesEnabled(false);
    const FileListing& listing = fill.listing;
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(listing.rows.size()));
    for (const FileRow& row : listing.rows)
        items.append(MakeFileItem(row));
    // The list keeps its rows ordered by file name, ignoring case; building
    // all rows first and inserting them at once keeps large folders fast.
    std::vector<std::pair<QString, QTreeWidgetItem*>> byName;
    byName.reserve(listing.rows.size());
    for (QTreeWidgetItem* item : items)
        byName.emplace_back(item->text(0), item);
    std::stable_sort(byName.begin(), byName.end(), [](const auto& a, const auto& b) {
        const int order = a.first.compare(b.first, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.first < b.first;
    });
    for (std::size_t i = 0; i < byName.size(); ++i)
        items[static_cast<qsizetype>(i)] = byName[i].second;
    m_listFiles->addTopLevelItems(items); // the list takes ownership

    const std::string summary = SummaryText(listing.count, listing.total, GetText(text::kFiles));
    if (!fill.stopped)
        ShowStatusText(summary);
    else
        ShowStatusText(platform::FromQString(platform::FillPlaceholders(
            platform::ToQString(GetText(text::kReadingStopped)), {platform::ToQString(summary)})));
    m_listFiles->setUpdatesEnabled(true);
}

FolderFillResult CSonadexView::ReadFolderRows()
{
    const auto progress = [this](std::size_t read, std::size_t found) {
        const QString text = platform::FillPlaceholders(platform::ToQString(GetText(text::kReadingFolder)),
                                                        {QString::number(read), QString::number(found)});
        ShowStatusText(platform::FromQString(text));
        // At start-up the window is not shown yet: the splash carries the line.
        if (auto* splash = findChild<CSplashDlg*>(); splash && splash->isVisible()) splash->ShowProgress(text);
    };
    // A cold disk or a network share answers many reads at once far sooner
    // than one after another.
    ListReading reading;
    reading.jobs = DefaultJobs();
    const bool onNetwork = platform::IsSystemPathOnNetwork(m_strFolder);
    reading.ioJobs = DefaultIoJobs(onNetwork);
    reading.batched = !onNetwork;
    reading.id3v2 = false; // the list does not show it
    const std::string folder = m_strFolder;
    const std::string pattern = m_strRenamePattern;
    CFolderFill fill(progress);
    return fill.Run([&](const ListReading& how) { return ListFolder(folder, pattern, how); }, reading);
}

// The folder tree: drives and folders, read lazily one level ahead.
#include "SonadexView.h"

#include "platform/File.h"
#include "platform/FileFind.h"
#include "platform/FileOps.h"
#include "platform/Machine.h"
#include "platform/QtText.h"

#include <QTreeWidget>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

namespace {

// Set on a node whose folder is one of its ancestors' too (a link back up
// the path): it gets no children, so no expanding, not even "expand all"
// (numeric-keypad *), can follow the loop.
constexpr int kOnItsPathRole = CSonadexView::kImageRole + 1;

std::optional<platform::FileIdentity> FolderIdentity(const std::string& systemPath)
{
    // A drive node's path is the bare "C:".
    const bool bareDrive = systemPath.size() == 2 && systemPath[1] == ':';
    const std::optional<std::string> host = platform::HostPath(bareDrive ? systemPath + "\\" : systemPath);
    struct stat info {};
    if (!host || stat(host->c_str(), &info) != 0) return std::nullopt;
    return platform::FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

int DriveImage(platform::DriveType type)
{
    switch (type) {
    case platform::DriveType::Removable:
        return CSonadexView::kImageRemovable;
    case platform::DriveType::Remote:
        return CSonadexView::kImageRemote;
    case platform::DriveType::CdRom:
        return CSonadexView::kImageCdRom;
    default:
        return CSonadexView::kImageFixed; // fixed, unknown, RAM disk
    }
}

bool IsRecycleBinName(std::string name)
{
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name == "RECYCLED";
}

std::string NodeName(const QTreeWidgetItem* node)
{
    return node->data(0, CSonadexView::kNameRole).toByteArray().toStdString();
}

} // namespace

void CSonadexView::InitFolderTreeImages()
{
    const char* const drives[] = {"drive-removable", "drive-fixed", "drive-remote", "drive-cdrom", "recycle-bin"};
    for (std::size_t i = 0; i < std::size(drives); ++i)
        m_imlFolders[i] = QIcon(QString(":/icons/%1.png").arg(drives[i]));
    // A folder shows the open picture while it is selected.
    QIcon folder(":/icons/folder-closed.png");
    folder.addFile(":/icons/folder-open.png", QSize(), QIcon::Selected);
    m_imlFolders[kImageFolder] = folder;
    m_imlFolders[kImageFolder + 1] = QIcon(":/icons/folder-open.png");
}

void CSonadexView::FillDriveTree()
{
    m_treeFolders->clear();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const std::string drive{letter, ':'};
        const platform::DriveType type = platform::GetDriveTypeA(drive + "\\");
        if (type == platform::DriveType::NoRootDir) continue;
        AddDriveNode(drive, DriveImage(type));
    }
}

void CSonadexView::AddDriveNode(const std::string& drive, int image)
{
    std::string label;
    if (!platform::GetVolumeInformationA(drive + "\\", label)) label.clear();

    auto* node = new QTreeWidgetItem(m_treeFolders); // owned by the tree
    node->setText(0, platform::PathToQString(label + " (" + drive + ")"));
    node->setData(0, kNameRole, QByteArray::fromStdString(drive));
    node->setData(0, kImageRole, image);
    node->setIcon(0, m_imlFolders.at(static_cast<std::size_t>(image)));

    NodeTargets targets;
    AddFolderNodes(node, true, targets);
    ApplyNodeTargets(targets);
}

void CSonadexView::AddGrandchildFolders(QTreeWidgetItem* node)
{
    NodeTargets targets;
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        if (child->childCount() == 0) AddFolderNodes(child, false, targets);
    }
    ApplyNodeTargets(targets);
}

// Adds the subfolders of parent as its children and notes which new node
// matches the stored folder and which one lies on the way to it.
void CSonadexView::AddFolderNodes(QTreeWidgetItem* parent, bool driveLevel, NodeTargets& targets)
{
    if (parent->data(0, kOnItsPathRole).toBool()) return;
    // The folders from the drive down to parent, by device and inode.
    std::vector<platform::FileIdentity> path;
    for (const QTreeWidgetItem* up = parent; up; up = up->parent())
        if (const auto identity = FolderIdentity(GetFolderPath(up))) path.push_back(*identity);
    platform::CFileFind finder;
    bool more = finder.FindFile(GetFolderPath(parent) + "\\*.*");
    while (more) {
        more = finder.FindNextFile();
        if (!finder.IsDirectory() || finder.IsDots()) continue;
        const std::string name = finder.GetFileName();
        const int image = driveLevel && IsRecycleBinName(name) ? kImageRecycled : kImageFolder;
        auto* node = new QTreeWidgetItem(parent); // owned by the tree
        node->setText(0, platform::PathToQString(name));
        node->setData(0, kNameRole, QByteArray::fromStdString(name));
        node->setData(0, kImageRole, image);
        node->setIcon(0, m_imlFolders.at(static_cast<std::size_t>(image)));

        const std::string folder = GetFolderPath(node);
        const std::optional<platform::FileIdentity> identity = FolderIdentity(folder);
        if (identity && std::ranges::find(path, *identity) != path.end()) node->setData(0, kOnItsPathRole, true);
        if (folder == m_strFolder)
            targets.select = node;
        else if (m_strFolder.starts_with(folder))
            targets.expand = parent;
    }
    finder.Close();
}

void CSonadexView::ApplyNodeTargets(const NodeTargets& targets)
{
    if (targets.expand) targets.expand->setExpanded(true); // runs OnFolderExpanding at once
    if (targets.select) SelectNode(targets.select);
}

// Selecting a hidden node opens its closed ancestors first, top down, each
// opening reading one level ahead as a user's click would.
void CSonadexView::SelectNode(QTreeWidgetItem* node)
{
    std::vector<QTreeWidgetItem*> ancestors;
    for (QTreeWidgetItem* up = node->parent(); up; up = up->parent())
        ancestors.push_back(up);
    std::reverse(ancestors.begin(), ancestors.end()); // expand from the top down
    for (QTreeWidgetItem* up : ancestors)
        if (!up->isExpanded()) up->setExpanded(true);
    m_treeFolders->setCurrentItem(node);
}

std::string CSonadexView::GetFolderPath(const QTreeWidgetItem* node) const
{
    // Collected bottom-up, joined top-down: drive, then each folder name.
    std::vector<std::string> names;
    for (; node; node = node->parent())
        names.push_back(NodeName(node));
    std::string path = names.back();
    for (auto it = names.rbegin() + 1; it != names.rend(); ++it) {
        path += '\\';
        path += *it;
    }
    return path;
}

void CSonadexView::OnFolderExpanding(QTreeWidgetItem* node)
{
    AddGrandchildFolders(node);
}

void CSonadexView::OnFolderCollapsed(QTreeWidgetItem* node)
{
    OnFolderExpanding(node);
    const QList<QTreeWidgetItem*> selected = m_treeFolders->selectedItems();
    if (selected.isEmpty()) return;
    for (const QTreeWidgetItem* up = selected.front()->parent(); up; up = up->parent())
        if (up == node) {
            m_treeFolders->setCurrentItem(node); // runs OnFolderSelChanged
            return;
        }
}

void CSonadexView::OnFolderSelChanged()
{
    if (m_bRebuildingTree) return;
    const QList<QTreeWidgetItem*> selected = m_treeFolders->selectedItems();
    if (selected.isEmpty()) return;
    const QTreeWidgetItem* node = selected.front();
    m_strFolder = GetFolderPath(node);
    emit DocumentTitleChanged(platform::PathToQString(m_strFolder));
    // At start-up the list is filled once, when its columns are in place; the
    // tree's selection of the stored folder would read the folder twice.
    if (!m_bRunning) return;
    FillFileList();
}

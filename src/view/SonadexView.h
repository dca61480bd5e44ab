// The main view: the folder tree on the left, the file list on the right,
// the start-up with its stored settings, and the commands on the listed files.
//
// The member functions are spread over several files, one per concern:
// SonadexView.cpp (life, layout, language), FolderTree.cpp, FileList.cpp,
// ViewStartup.cpp, ViewCommands.cpp, ViewUndo.cpp and MenuRelabel.cpp.
#pragma once

#include "QtTranslation.h"
#include "table/TableFile.h"

#include <QIcon>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CPrintSettingsDlg;
class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
struct FileRow;
struct FolderFillResult;
struct RenameOptions;
namespace journal {
class CJournalEntry;
}

class CSonadexView : public QWidget {
    Q_OBJECT
public:
    // Item data roles of both controls. Each node and row keeps the exact
    // system bytes of its name, so a path never depends on a round trip
    // through the displayed text.
    static constexpr int kNameRole = Qt::UserRole;
    static constexpr int kImageRole = Qt::UserRole + 1; // index into the image list

    // Indexes into m_imlFolders.
    enum FolderImage { kImageRemovable, kImageFixed, kImageRemote, kImageCdRom, kImageRecycled, kImageFolder };

    explicit CSonadexView(QWidget* parent = nullptr);
    ~CSonadexView() override;

    // Start-up and end (ViewStartup.cpp).
    void OnInitialUpdate();
    void OnDestroy();
    // Set when start-up failed and the program is to end with this code.
    std::optional<int> QuitRequested() const { return m_quitCode; }

    // Language (SonadexView.cpp, MenuRelabel.cpp).
    bool LoadLanguage();
    std::string GetText(int number);
    void ApplyLanguage();

    // Layout (SonadexView.cpp).
    void OnSize(int cx, int cy);

    // Folder tree (FolderTree.cpp).
    void InitFolderTreeImages();
    void FillDriveTree();
    void AddDriveNode(const std::string& drive, int image);
    void AddGrandchildFolders(QTreeWidgetItem* node);
    std::string GetFolderPath(const QTreeWidgetItem* node) const;
    void OnFolderSelChanged();
    void OnFolderExpanding(QTreeWidgetItem* node);
    // Reads as OnFolderExpanding does; a selection hidden below the node
    // moves to the node, which becomes the current folder.
    void OnFolderCollapsed(QTreeWidgetItem* node);

    // File list (FileList.cpp).
    void InitFileListImages();
    void InitFileListColumns();
    void SizeFileListColumns();
    void FillFileList();
    // The rows of the current folder, read while the window keeps painting.
    FolderFillResult ReadFolderRows();

    // Commands (ViewCommands.cpp). The window's command table (src/app)
    // binds menus, accelerators and toolbar to these handlers; the context
    // menu raises the window's actions.
    void OnRefresh();
    void OnPlay();
    void OnRename();
    void OnRenameAll();
    void OnRemoveId3();
    void OnDelete();
    void OnSelectAll();
    void OnMultiTag();
    // Takes back the newest operation of either program (ViewUndo.cpp).
    void OnUndo();
    void OnSettings();
    void OnPrint();
    void OnPrintDirect();
    void OnPrintPreview();
    void OnListDoubleClick();
    void OnListRightClick();
    // Both write into the journal entry of the operation they are part of.
    bool RenameOneFile(const std::string& folder, const std::string& name, journal::CJournalEntry& journal);
    int RenameFolderTree(const std::string& folder, journal::CJournalEntry& journal);
    // Runs a command; a file that fails after it was opened, or a journal
    // that cannot be written, ends it with one message.
    void RunCommand(const std::function<void()>& command);
    // The list's context menu; its texts are fixed German ones in every language.
    std::unique_ptr<QMenu> CreateContextMenu();

    // The form's own size, 411 x 211 dialog units.
    QSize sizeHint() const override { return {617, 343}; }

    QTreeWidget* FolderTree() const { return m_treeFolders; }
    QTreeWidget* FileList() const { return m_listFiles; }

    bool m_bLayoutFrozen = true;
    bool m_bRebuildingTree = false;
    bool m_bPrompt = false;
    std::string m_strRenamePattern;
    std::string m_strFolder;
    CTableFile m_tblLanguage;
    std::string m_strLangPath;
    std::string m_strLanguage;
    CQtTranslation m_qtTranslation; // Qt's own dialogs in the chosen language
    std::unique_ptr<CPrintSettingsDlg> m_pPrintSettings;

signals:
    // The document's title: the current folder.
    void DocumentTitleChanged(const QString& title);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct NodeTargets {
        QTreeWidgetItem* select = nullptr;
        QTreeWidgetItem* expand = nullptr;
    };
    void AddFolderNodes(QTreeWidgetItem* parent, bool driveLevel, NodeTargets& targets);
    void ApplyNodeTargets(const NodeTargets& targets);
    void SelectNode(QTreeWidgetItem* node);
    QTreeWidgetItem* MakeFileItem(const FileRow& row) const;
    void ShowStatusText(const std::string& text);

    bool ReadStoredSettings();
    void KeepSplashUntil(std::uint32_t t0) const;
    void EndStartUp(const std::string& message);

    std::vector<std::string> SelectedNames() const;
    std::string SelectionMarkName() const;
    std::string FolderFilePath(const std::string& name) const;
    RenameOptions MakeRenameOptions(journal::CJournalEntry& journal);
    // The tag editor on one file; journal: the operation it runs inside, or none.
    bool EditTag(const std::string& path, journal::CJournalEntry* journal = nullptr);
    // Renames the selected rows as one operation named command.
    void RenameSelected(const char* command);
    // The undo journal entry of an operation on the current folder; null
    // after telling the user why the journal cannot be written.
    std::unique_ptr<journal::CJournalEntry> BeginOperation(const char* command);
    QAction* WindowCommand(int id) const;

    std::array<QIcon, 7> m_imlFolders;
    std::array<QIcon, 3> m_imlFiles;
    QTreeWidget* m_treeFolders = nullptr; // owned by this widget
    QTreeWidget* m_listFiles = nullptr;   // owned by this widget
    std::optional<int> m_quitCode;
    bool m_bRunning = false; // start-up completed
    bool m_bDestroyed = false;
};

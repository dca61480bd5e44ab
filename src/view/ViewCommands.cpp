// The commands on the listed files, reached from menus, keys, toolbar,
// the context menu and a double click.
#include "SonadexView.h"

#include "dialogs/JournalSession.h"
#include "dialogs/LanguageQText.h"
#include "dialogs/MultiTagDlg.h"
#include "dialogs/ProgressWindow.h"
#include "dialogs/SettingsDlg.h"
#include "dialogs/TagEditDlg.h"
#include "journal/JournalStore.h"
#include "language/FallbackText.h"
#include "language/TextIds.h"
#include "ops/FolderWalk.h"
#include "ops/Rename.h"
#include "ops/TagChange.h"
#include "platform/File.h"
#include "platform/FileOps.h"
#include "platform/Machine.h"
#include "platform/MessageBox.h"
#include "platform/QtText.h"
#include "platform/Shell.h"
#include "platform/WaitCursor.h"
#include "print/ViewPrinting.h"
#include "tag/Id3v1Tag.h"
#include "view/Resource.h"
#include "platform/SystemPathName.h"

#include <QCursor>
#include <QMenu>
#include <QTreeWidget>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* kCaption = "Sonadex Pro";

constexpr std::size_t kListedFailures = 10;

std::string CountText(int count, const std::string& text)
{
    return std::to_string(count) + " " + text;
}

// One box for the files a command could not change: the heading (a language
// text), then a line per file, with the system's words where an error tells why.
void ReportFailures(QWidget* owner, const std::string& heading, const std::vector<FileOutcome>& failures,
                    unsigned icon)
{
    if (failures.empty()) return;
    QString text = platform::ToQString(heading);
    for (std::size_t i = 0; i < std::min(failures.size(), kListedFailures); ++i) {
        text += "\n" + platform::PathToQString(failures[i].path);
        if (failures[i].error != 0) text += ": " + QString::fromUtf8(std::strerror(failures[i].error));
    }
    if (failures.size() > kListedFailures) text += "\n...";
    platform::MessageBox(owner, text, kCaption, platform::MB_OK | icon);
}

// Runs act on each name in turn under a progress window; returns how many
// were done, fewer than names when its Cancel stopped between two of them.
std::size_t ForEachName(QWidget* owner, CTableFile& languageTable, const std::string& folder,
                        const std::vector<std::string>& names, const std::function<void(const std::string&)>& act)
{
    dialogs::CProgressWindow progress(owner, languageTable);
    std::size_t done = 0;
    for (const std::string& name : names) {
        if (!progress.Step({done, names.size(), folder})) break;
        act(name);
        ++done;
    }
    return done;
}

// After a Cancel, how far the command got: the files before it are done, the others untouched.
void ReportStopped(QWidget* owner, CTableFile& languageTable, std::size_t done, std::size_t chosen)
{
    if (done == chosen) return;
    const QString text =
        platform::FillPlaceholders(dialogs::LanguageQText(languageTable, text::kStoppedAfter),
                                   {QString::number(done), QString::number(chosen)});
    platform::MessageBox(owner, text, kCaption, platform::MB_OK | platform::MB_ICONINFORMATION);
}

FileOutcome Failure(const std::string& path, int error)
{
    return FileOutcome{path, {}, false, error, {}};
}

// Moves a file to the trash, journalled twice: the file before it goes (so a
// crash midway leaves it named), and where it went once it has.
bool TrashJournalled(const std::string& path, journal::CJournalEntry& journal)
{
    journal::Record record;
    record.kind = journal::RecordKind::Trash;
    const std::optional<std::string> host = platform::HostPath(path);
    struct stat info {};
    // A file that cannot be found is not moved either: DeleteFileA says why.
    const bool found = host && lstat(host->c_str(), &info) == 0;
    if (found) {
        record.path = *host;
        record.identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
        journal.AddAndCommit(record);
    }
    platform::TrashEntry trashed;
    if (!platform::DeleteFileA(path, trashed)) return false;
    if (found) {
        record.trashFolder = trashed.trashFolder;
        record.trashedName = trashed.trashedName;
        journal.AddAndCommit(record);
    }
    return true;
}

} // namespace

// A file that fails after it was opened ends the command with one clear
// message; the list then shows what is really on disk.
void CSonadexView::RunCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const platform::CFileException& e) {
        // The message names the file by its bytes: shown as a name is shown.
        const QString pattern = dialogs::LanguageQText(m_tblLanguage, text::kFileAccessFailed);
        const QString text = platform::FillPlaceholders(
            pattern, {platform::PathToQString(e.Path()), QString::fromUtf8(std::strerror(e.OsError()))});
        platform::MessageBox(this, text, kCaption, platform::MB_OK | platform::MB_ICONSTOP);
        FillFileList();
    } catch (const journal::JournalError& e) {
        // Raised before the file it was about changed; those before it are journalled.
        dialogs::ReportJournalError(this, m_tblLanguage, e);
        FillFileList();
    }
}

std::unique_ptr<journal::CJournalEntry> CSonadexView::BeginOperation(const char* command)
{
    return dialogs::BeginJournalEntry(this, m_tblLanguage, command, m_strFolder);
}

std::vector<std::string> CSonadexView::SelectedNames() const
{
    std::vector<std::string> names;
    for (int row = 0; row < m_listFiles->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_listFiles->topLevelItem(row);
        if (item->isSelected()) names.push_back(item->data(0, kNameRole).toByteArray().toStdString());
    }
    return names;
}

// The row that anchors the selection: the list's current row, or none.
std::string CSonadexView::SelectionMarkName() const
{
    const QTreeWidgetItem* item = m_listFiles->currentItem();
    return item ? item->data(0, kNameRole).toByteArray().toStdString() : std::string();
}

std::string CSonadexView::FolderFilePath(const std::string& name) const
{
    return platform::JoinSystemPath(m_strFolder, name);
}

void CSonadexView::OnRefresh()
{
    platform::CWaitCursor wait;
    m_bRebuildingTree = true;
    FillDriveTree();
    FillFileList();
    m_bRebuildingTree = false;
}

void CSonadexView::OnPlay()
{
    const std::string name = SelectionMarkName();
    if (name.empty()) return;
    platform::ShellOpenFile(FolderFilePath(name));
}

// The tag editor on one file; true when it saved or renamed something.
bool CSonadexView::EditTag(const std::string& path, journal::CJournalEntry* journal)
{
    CTagEditDlg dialog(path, m_strRenamePattern, m_tblLanguage, window());
    dialog.SetJournal(journal);
    dialog.DoModal();
    return dialog.Changed();
}

RenameOptions CSonadexView::MakeRenameOptions(journal::CJournalEntry& journal)
{
    RenameOptions options;
    options.pattern = m_strRenamePattern;
    options.journal = &journal;
    // What the prompted editor saves is part of the same operation.
    if (m_bPrompt) options.prompt = [this, &journal](const std::string& path) { return EditTag(path, &journal); };
    return options;
}

bool CSonadexView::RenameOneFile(const std::string& folder, const std::string& name, journal::CJournalEntry& journal)
{
    return ::RenameOneFile(folder, name, MakeRenameOptions(journal));
}

int CSonadexView::RenameFolderTree(const std::string& folder, journal::CJournalEntry& journal)
{
    std::vector<FileOutcome> skipped; // links leading outside the folder: never renamed through
    int count = 0;
    {
        // Shown once the walk takes a moment; its Cancel ends the walk between two files.
        dialogs::CProgressWindow progress(this, m_tblLanguage);
        RenameOptions options = MakeRenameOptions(journal);
        options.progress = progress.Hook();
        count = ::RenameFolderTree(folder, true, options, [&skipped](const FileOutcome& outcome) {
            if (outcome.reason == kLinkOutsideReason) skipped.push_back(outcome);
        });
    }
    ReportFailures(this, GetTextOrBuiltIn(m_tblLanguage, text::kLinksSkipped), skipped, platform::MB_ICONEXCLAMATION);
    return count;
}

void CSonadexView::RenameSelected(const char* command)
{
    const std::vector<std::string> names = SelectedNames();
    std::size_t done = 0;
    if (!names.empty()) {
        const std::unique_ptr<journal::CJournalEntry> journal = BeginOperation(command);
        if (!journal) return;
        done = ForEachName(this, m_tblLanguage, m_strFolder, names,
                           [&](const std::string& name) { RenameOneFile(m_strFolder, name, *journal); });
    }
    FillFileList();
    ReportStopped(this, m_tblLanguage, done, names.size());
}

void CSonadexView::OnRename()
{
    RenameSelected("rename");
}

void CSonadexView::OnRenameAll()
{
    const int answer = platform::MessageBox(this, GetText(text::kSubfolders) + "?", kCaption,
                                            platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION);
    if (answer == platform::IDYES) {
        const std::unique_ptr<journal::CJournalEntry> journal = BeginOperation("rename-all");
        if (!journal) return;
        const int count = RenameFolderTree(m_strFolder, *journal);
        platform::MessageBox(this, CountText(count, GetText(text::kFilesProcessed)), "SonadexPro",
                             platform::MB_OK | platform::MB_ICONINFORMATION);
        FillFileList();
    } else if (answer == platform::IDNO) {
        OnSelectAll();
        RenameSelected("rename-all");
    }
}

void CSonadexView::OnRemoveId3()
{
    const std::vector<std::string> names = SelectedNames();
    std::vector<FileOutcome> failed;
    std::size_t done = 0;
    if (!names.empty()) {
        const std::unique_ptr<journal::CJournalEntry> journal = BeginOperation("remove-tag");
        if (!journal) return;
        done = ForEachName(this, m_tblLanguage, m_strFolder, names, [&](const std::string& name) {
            const TagChangeResult result = ChangeTag(
                FolderFilePath(name),
                [](CId3v1Tag& tag) {
                    tag.RemoveTag();
                    return false;
                },
                false, journal.get());
            // A file that cannot be read is passed over, as every command does.
            if (result.opened && !result.outcome.ok) failed.push_back(result.outcome);
        });
    }
    FillFileList();
    ReportStopped(this, m_tblLanguage, done, names.size());
    ReportFailures(this, GetTextOrBuiltIn(m_tblLanguage, text::kTagsNotRemoved), failed, platform::MB_ICONSTOP);
}

void CSonadexView::OnDelete()
{
    const std::vector<std::string> names = SelectedNames();
    if (names.empty()) return;
    const int answer =
        platform::MessageBox(this, CountText(static_cast<int>(names.size()), GetText(text::kDeleteFiles)), kCaption,
                             platform::MB_YESNO | platform::MB_ICONQUESTION);
    if (answer != platform::IDYES) return;
    const std::unique_ptr<journal::CJournalEntry> journal = BeginOperation("delete");
    if (!journal) return;
    std::vector<FileOutcome> failed;
    const std::size_t done = ForEachName(this, m_tblLanguage, m_strFolder, names, [&](const std::string& name) {
        if (!TrashJournalled(FolderFilePath(name), *journal))
            failed.push_back(Failure(FolderFilePath(name), platform::GetLastError()));
    });
    FillFileList();
    ReportStopped(this, m_tblLanguage, done, names.size());
    ReportFailures(this, GetTextOrBuiltIn(m_tblLanguage, text::kFilesNotDeleted), failed, platform::MB_ICONSTOP);
}

void CSonadexView::OnSelectAll()
{
    m_listFiles->selectAll();
}

void CSonadexView::OnMultiTag()
{
    CMultiTagDlg dialog(m_strFolder, m_tblLanguage, window());
    if (dialog.DoModal() == QDialog::Accepted) FillFileList();
}

void CSonadexView::OnSettings()
{
    CSettingsDlg dialog(m_tblLanguage, window());
    dialog.SetLanguage(m_strLanguage);
    dialog.SetLanguageFolder(m_strLangPath);
    dialog.SetPattern(m_strRenamePattern);
    dialog.SetPrompt(m_bPrompt);
    if (dialog.DoModal() != QDialog::Accepted) return;
    m_strRenamePattern = dialog.Pattern();
    m_bPrompt = dialog.Prompt();
    if (dialog.LanguageChanged()) {
        m_strLanguage = dialog.Language();
        ApplyLanguage();
    }
}

void CSonadexView::OnListDoubleClick()
{
    RunCommand([this] {
        if (EditTag(FolderFilePath(SelectionMarkName()))) FillFileList();
    });
}

// The window's action of a command number: the context menu runs the same
// commands as the menus, through the window's command table.
QAction* CSonadexView::WindowCommand(int id) const
{
    const QList<QAction*> actions = window()->actions();
    const auto found = std::find_if(actions.begin(), actions.end(),
                                    [id](const QAction* action) { return action->data().toInt() == id; });
    return found == actions.end() ? nullptr : *found;
}

std::unique_ptr<QMenu> CSonadexView::CreateContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    const auto add = [this, &menu](const char* text, int id) {
        QAction* action = menu->addAction(QString::fromUtf8(text));
        action->setData(id);
        if (QAction* command = WindowCommand(id)) connect(action, &QAction::triggered, command, &QAction::trigger);
        return action;
    };
    QAction* play = add("Abspielen", res::ID_FILE_PLAY);
    QFont bold = play->font();
    bold.setBold(true);
    play->setFont(bold);
    menu->setDefaultAction(play);
    menu->addSeparator();
    add("Umbenennen", res::ID_FILE_RENAME);
    add("ID3 entfernen", res::ID_FILE_REMOVE_ID3);
    add("Löschen", res::ID_FILE_DELETE);
    return menu;
}

void CSonadexView::OnListRightClick()
{
    const QPoint position = QCursor::pos();
    const std::unique_ptr<QMenu> menu = CreateContextMenu();
    menu->exec(position);
}

void CSonadexView::OnPrint()
{
    RunViewPrinting(this, PrintMode::Print, m_strFolder, m_tblLanguage, *m_pPrintSettings);
}

void CSonadexView::OnPrintDirect()
{
    RunViewPrinting(this, PrintMode::Direct, m_strFolder, m_tblLanguage, *m_pPrintSettings);
}

void CSonadexView::OnPrintPreview()
{
    RunViewPrinting(this, PrintMode::Preview, m_strFolder, m_tblLanguage, *m_pPrintSettings);
}

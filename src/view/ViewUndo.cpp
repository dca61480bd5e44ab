// Undo: takes back the newest operation of the window or the command line
// from the shared journal and says what it restored.
#include "SonadexView.h"

#include "dialogs/JournalSession.h"
#include "dialogs/LanguageQText.h"
#include "journal/Undo.h"
#include "language/FallbackText.h"
#include "language/TextIds.h"
#include "platform/Machine.h"
#include "platform/MessageBox.h"
#include "platform/QtText.h"
#include "platform/WaitCursor.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

constexpr const char* kCaption = "Sonadex Pro";
constexpr std::size_t kListedSkips = 10; // more names would not fit a message box

// The language text of each reason Undo gives for leaving a file alone; the
// system's own refusals keep the system's words.
constexpr std::array<std::pair<journal::SkipReason, int>, 8> kSkipTexts = {{
    {journal::SkipReason::OtherFile, text::kUndoOtherFile},
    {journal::SkipReason::ChangedSince, text::kUndoChangedSince},
    {journal::SkipReason::MovedSince, text::kUndoMovedSince},
    {journal::SkipReason::OldNameTaken, text::kUndoOldNameTaken},
    {journal::SkipReason::NotInTrash, text::kUndoNotInTrash},
    {journal::SkipReason::LeftTrash, text::kUndoLeftTrash},
    {journal::SkipReason::NameTaken, text::kUndoNameTaken},
    {journal::SkipReason::UnknownChange, text::kUndoUnknownChange},
}};

QString SkipReasonText(CTableFile& languageTable, const journal::UndoFile& file)
{
    if (file.reason == journal::SkipReason::System) return QString::fromUtf8(std::strerror(file.error));
    const auto found = std::ranges::find(kSkipTexts, file.reason, &std::pair<journal::SkipReason, int>::first);
    return found == kSkipTexts.end() ? QString() : dialogs::LanguageQText(languageTable, found->second);
}

// The journal names an operation by its command; the report names it by
// the caption the user knows it under. Taking the command line's commands
// to the window's entries that do the same.
constexpr std::array<std::pair<std::string_view, int>, 9> kCommandCaptions = {{
    {"save", text::kSave},
    {"set", text::kSave},
    {"rename", text::kRename},
    {"rename-all", text::kRenameAll},
    {"remove-tag", text::kRemoveTag},
    {"strip", text::kRemoveTag},
    {"delete", text::kDelete},
    {"multitag", text::kMultiTag},
    {"undo", text::kUndo},
}};

QString CommandCaption(CTableFile& languageTable, const std::string& command)
{
    const auto found =
        std::ranges::find(kCommandCaptions, std::string_view(command), &std::pair<std::string_view, int>::first);
    if (found == kCommandCaptions.end()) return QString::fromStdString(command);
    QString caption = dialogs::LanguageQText(languageTable, found->second);
    caption = caption.left(caption.indexOf('\t')).remove('&');
    return caption.isEmpty() ? QString::fromStdString(command) : caption;
}

// What undo did: the language text's line (its own for one file restored),
// then each skipped file with why.
QString UndoReportText(CTableFile& languageTable, const std::string& command, const journal::UndoReport& report)
{
    const std::size_t restored = report.Count(journal::UndoStep::Restored);
    QString text = platform::FillPlaceholders(
        dialogs::LanguageQText(languageTable, restored == 1 ? text::kUndoneOne : text::kUndone),
        {CommandCaption(languageTable, command), QString::number(restored),
         QString::number(report.Count(journal::UndoStep::Skipped))});
    std::size_t listed = 0;
    for (const journal::UndoFile& file : report.files) {
        if (file.step != journal::UndoStep::Skipped) continue;
        if (listed++ == kListedSkips) {
            text += "\n...";
            break;
        }
        // Named as the list names files: by drive letter where the file has one.
        text += "\n" + platform::PathToQString(platform::SystemPath(file.path).value_or(file.path)) + ": " +
                SkipReasonText(languageTable, file);
    }
    return text;
}

} // namespace

void CSonadexView::OnUndo()
{
    const journal::CJournalStore store(journal::CJournalStore::DefaultFolder());
    const std::optional<std::uint64_t> newest = journal::NewestUndoable(store.List());
    const std::optional<journal::Entry> entry = newest ? store.Read(*newest) : std::nullopt;
    if (!entry) {
        platform::MessageBox(this, GetTextOrBuiltIn(m_tblLanguage, text::kNothingToUndo), kCaption,
                             platform::MB_OK | platform::MB_ICONINFORMATION);
        return;
    }
    journal::UndoReport report;
    {
        const platform::CWaitCursor wait;
        report = journal::UndoEntry(store, *entry, dialogs::kJournalProgram, false);
    }
    FillFileList();
    const bool skipped = report.Count(journal::UndoStep::Skipped) > 0;
    platform::MessageBox(this, UndoReportText(m_tblLanguage, entry->info.header.command, report), kCaption,
                         platform::MB_OK | (skipped ? platform::MB_ICONEXCLAMATION : platform::MB_ICONINFORMATION));
}

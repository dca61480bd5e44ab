// The window's side of the undo journal: beginning the entry of an operation,
// and telling the user when the journal cannot be written (the operation then
// stops before it changes anything more).
#pragma once

#include <memory>
#include <string>

class CTableFile;
class QWidget;
namespace journal {
class CJournalEntry;
class JournalError;
} // namespace journal

namespace dialogs {

// The window's name in the journal's entries.
inline constexpr char kJournalProgram[] = "sonadex";

// Begins an entry of command ("save", "multitag", ...) on systemFolder in the
// user's journal; null after a message box saying why it cannot be written.
std::unique_ptr<journal::CJournalEntry> BeginJournalEntry(QWidget* owner, CTableFile& languageTable,
                                                          const std::string& command, const std::string& systemFolder);
// The message box of a journal that cannot be written.
void ReportJournalError(QWidget* owner, CTableFile& languageTable, const journal::JournalError& error);

} // namespace dialogs

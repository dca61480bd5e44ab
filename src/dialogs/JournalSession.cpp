#include "JournalSession.h"
#include "LanguageQText.h"

#include "journal/JournalStore.h"
#include "language/TextIds.h"
#include "platform/Machine.h"
#include "platform/MessageBox.h"
#include "platform/QtText.h"

#include <cstring>

namespace dialogs {

std::unique_ptr<journal::CJournalEntry> BeginJournalEntry(QWidget* owner, CTableFile& languageTable,
                                                          const std::string& command, const std::string& systemFolder)
{
    try {
        const journal::CJournalStore store(journal::CJournalStore::DefaultFolder());
        return store.Begin({kJournalProgram, command, platform::HostPath(systemFolder).value_or(std::string()), {}});
    } catch (const journal::JournalError& error) {
        ReportJournalError(owner, languageTable, error);
        return nullptr;
    }
}

void ReportJournalError(QWidget* owner, CTableFile& languageTable, const journal::JournalError& error)
{
    // The language's heading, then the journal's host path, shown as a name
    // is shown, with the system's words.
    QString text = dialogs::LanguageQText(languageTable, text::kJournalNotWritten) + "\n" +
                   platform::PathToQString(error.Path());
    if (error.Error() != 0) text += ": " + QString::fromUtf8(std::strerror(error.Error()));
    platform::MessageBox(owner, text, "Sonadex Pro", platform::MB_OK | platform::MB_ICONSTOP);
}

} // namespace dialogs

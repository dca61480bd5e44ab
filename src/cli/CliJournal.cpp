#include "CliJournal.h"

#include "CliOptions.h"
#include "platform/Machine.h"

#include <cstdlib>
#include <cstring>

journal::CJournalStore CliJournalStore()
{
    return journal::CJournalStore(journal::CJournalStore::DefaultFolder());
}

std::unique_ptr<journal::CJournalEntry> BeginCliJournal(const CliOptions& options, std::string_view command,
                                                        const std::string& folder)
{
    if (options.dryRun) return nullptr;
    const char* off = std::getenv("SONADEX_NO_JOURNAL");
    if (off && std::strcmp(off, "1") == 0) return nullptr;
    const std::string hostFolder = folder.empty() ? std::string() : platform::HostPath(folder).value_or(folder);
    return CliJournalStore().Begin({"sonadex-cli", std::string(command), hostFolder, std::nullopt});
}

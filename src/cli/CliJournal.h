// The undo journal of the command line: each command that changes files
// writes one entry, shared with the window.
#pragma once

#include "journal/JournalStore.h"

#include <memory>
#include <string>
#include <string_view>

struct CliOptions;

// The store: ${XDG_STATE_HOME:-~/.local/state}/sonadex-pro/journal.
journal::CJournalStore CliJournalStore();
// The command's entry, begun before any file changes; none for a dry run (or
// when SONADEX_NO_JOURNAL=1, a switch for benchmarks only). folder is a
// system path or "". Raises journal::JournalError when it cannot be written.
std::unique_ptr<journal::CJournalEntry> BeginCliJournal(const CliOptions& options, std::string_view command,
                                                        const std::string& folder);

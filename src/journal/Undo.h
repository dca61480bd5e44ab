// Taking an operation back from its journal entry. A file is restored only
// when it is still exactly as the operation left it; a file still as it was
// before is left alone; any other is skipped and named, never overwritten.
// The undo is journalled itself, so undoing an undo does the operation again.
#pragma once

#include "JournalStore.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace journal {

enum class UndoStep {
    Restored,  // put back as it was before the operation
    Unchanged, // the operation had not changed it: left alone
    Skipped,   // changed since, replaced, gone or its name taken: left alone
};

// Why a file was skipped. The command line words them in English
// (SkipReasonText); the window takes each one's text from its language.
enum class SkipReason {
    None,
    OtherFile,     // another file has its name now
    ChangedSince,  // changed after the operation
    MovedSince,    // renamed, replaced or removed after the operation
    OldNameTaken,  // a rename's old name is taken again
    NotInTrash,    // not in the trash where the journal expects it
    LeftTrash,     // no longer in the trash
    NameTaken,     // a trashed file's name is taken again
    UnknownChange, // a record of a kind this version does not know
    System,        // the system refused: error holds the errno value
};

struct UndoFile {
    std::string path; // host path the file has (or gets back)
    UndoStep step = UndoStep::Skipped;
    SkipReason reason = SkipReason::None; // for a skipped file: why
    int error = 0;                        // errno value of SkipReason::System
};

// The reason of a skipped file in English, the system's words for System;
// "" for SkipReason::None.
std::string SkipReasonText(const UndoFile& file);

struct UndoReport {
    std::uint64_t undone = 0;            // the entry taken back
    std::uint64_t entry = 0;             // the undo's own entry (0 for a dry run)
    std::vector<UndoFile> files;         // in the order they were taken back
    std::size_t Count(UndoStep step) const;
};

// Whether each entry is still in effect: not taken back by an undo that is
// itself in effect. Indexed like entries (oldest first).
std::vector<bool> EntriesInEffect(const std::vector<EntryInfo>& entries);
// The newest operation (not an undo) still in effect and not running, for a plain undo.
std::optional<std::uint64_t> NewestUndoable(const std::vector<EntryInfo>& entries);
// Why entry id cannot be undone ("" when it can).
std::string WhyNotUndoable(const std::vector<EntryInfo>& entries, std::uint64_t id);

// Takes entry back. A dry run changes nothing and reports what would be done.
// Throws JournalError when the undo's own entry cannot be written (then
// nothing has changed).
UndoReport UndoEntry(const CJournalStore& store, const Entry& entry, const std::string& program, bool dryRun);

} // namespace journal

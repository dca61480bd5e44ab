// The one call that changes a file's tag: the tag editor, MultiTag, Remove
// tag and the command line all go through it, so a failure reads the same.
// With a journal entry, the file's state before and after is committed to
// the undo journal before the file changes.
#pragma once

#include "FileOutcome.h"

#include <functional>
#include <optional>
#include <string>

class CId3v1Tag;
namespace platform {
struct FileEnds;
}
namespace journal {
class CJournalEntry;
struct Record;
} // namespace journal

// Changes the tag in memory; true when a long comment took the place of a track number.
using TagEdit = std::function<bool(CId3v1Tag&)>;

struct TagChangeResult {
    // ok, or reason "cannot open" / "cannot write" with the errno value;
    // trackOverwritten and hasId3v2 as the change found them.
    FileOutcome outcome;
    bool opened = false;  // the file could be read (MultiTag counts these)
    bool written = false; // false when the file had no tag and the change gave it none: nothing to write
};

// The reason of a file that changed between its read and its write: the
// journal holds the state it was read in, so it is not written.
inline constexpr char kChangedMeanwhileReason[] = "changed by another program meanwhile";
inline constexpr char kCannotOpenReason[] = "cannot open", kCannotWriteReason[] = "cannot write";

// Opens path into tag, applies edit and saves. A dry run, instead of saving,
// opens the file for writing as the save would (WriteOpenError) and writes
// nothing. A write that fails midway leaves the file as it was and is
// reported as "cannot write"; it raises nothing. The caller's tag then holds
// what was (or would have been) saved. A journal that cannot be written
// raises journal::JournalError before the file changes.
TagChangeResult ChangeTag(CId3v1Tag& tag, const std::string& path, const TagEdit& edit, bool dryRun = false,
                          journal::CJournalEntry* journal = nullptr);
// The same with a tag object of its own.
TagChangeResult ChangeTag(const std::string& path, const TagEdit& edit, bool dryRun = false,
                          journal::CJournalEntry* journal = nullptr);

// The two halves of ChangeTag, for batches that journal many files at once:
// the read and edit (result.written tells whether a save is due); with hold,
// the file stays open and locked in tag until the finish, which then need
// not open it again ...
TagChangeResult PrepareTagChange(CId3v1Tag& tag, const std::string& path, const TagEdit& edit, bool hold = false);
// (the same for the entry hostName of an open folder, a descriptor the
// caller keeps open: a walk's files open from their folder, sparing the
// system the walk of each whole path) ...
TagChangeResult PrepareTagChangeIn(CId3v1Tag& tag, int folderFd, const std::string& hostName, const std::string& path,
                                   const TagEdit& edit, bool hold);
// (the same, held, for a file a platform::CFileEndsReader read and held for
// writing in a batch: CId3v1Tag::TakeEndsForChange) ...
TagChangeResult PrepareTagChangeFromEnds(CId3v1Tag& tag, platform::FileEnds& ends, int folderFd,
                                         const std::string& hostName, const std::string& path, const TagEdit& edit);
// ... the journal record of a prepared change that is due (hostPath: the
// file's host path when the caller knows it; else it is converted) ...
journal::Record TagChangeRecord(const CId3v1Tag& tag);
journal::Record TagChangeRecord(const CId3v1Tag& tag, std::string hostPath);
// ... and the save (or a dry run's check), which lets go of a held file.
// journalled: write only while the file is as it was read, since that is
// the state the journal holds.
TagChangeResult FinishTagChange(CId3v1Tag& tag, const TagChangeResult& prepared, bool dryRun, bool journalled);

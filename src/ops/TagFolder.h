// MultiTag: chosen fields into every lower-case ".mp3" file of a folder tree.
#pragma once

#include "FileOutcome.h"
#include "WorkProgress.h"
#include "tag/Field.h"

#include <optional>
#include <string>

class CId3v1Tag;
namespace journal {
class CJournalEntry;
}

struct TagFields {
    FieldArray<std::optional<std::string>> values; // by Field; chosen when set
    std::optional<unsigned char> track;            // 1 to 255, or 0 to remove it; no field of the window

    std::optional<std::string>& operator[](Field field) { return At(values, field); }
    const std::optional<std::string>& operator[](Field field) const { return At(values, field); }
    // Sets the chosen fields in Field order, then the track. True when a long
    // comment took the place of a track number the file held.
    bool ApplyTo(CId3v1Tag& tag) const;
};

// Opens, sets and saves each file; returns the number of files processed
// (opened). Files that cannot be opened are skipped and not counted. With
// jobs > 1 the files are written on that many threads; the files written,
// the count and the order of the reports are the same as with one. Without
// followLinks, a symbolic link leading outside the folder is not written
// through: it is reported (kLinkOutsideReason) and not counted. A dry run
// reads and changes each tag in memory and, instead of saving, opens the
// file for writing as the save would (WriteOpenError): the outcomes and the
// count are those the real run would give, and no file changes. Each file
// goes through ChangeTag: a file without a tag that the fields leave without
// one (nothing chosen) is counted and not opened for writing.
struct TagFolderOptions {
    unsigned jobs = 1;
    bool followLinks = false;
    bool dryRun = false;
    // The operation's undo journal entry, or none. Each part of a batch of
    // files is committed to it before any file of that part is written; a journal
    // that cannot be written raises journal::JournalError.
    journal::CJournalEntry* journal = nullptr;
    // Told after each file; stopping it ends the walk once the batch in hand
    // is written. With it, batches start small (CBatchPace), so a stop comes soon.
    ProgressHook progress = {};
    // Open, read and lock the files of an open folder in batches
    // (platform::CFileEndsReader). Not on a network share: there each file's
    // status check and lock is a round trip, which in a batch would wait one
    // after another.
    bool batched = true;
};

int TagFolder(const std::string& folder, const TagFields& fields, bool recurse, const OutcomeSink& sink = {},
              const TagFolderOptions& options = {});

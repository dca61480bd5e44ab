// Renaming files from their tags: one file, and a folder tree.
#pragma once

#include "FileOutcome.h"
#include "MovePlan.h"
#include "WorkProgress.h"

#include <functional>

namespace journal {
class CJournalEntry;
}
#include <string>

// Asked for a file without a tag when prompting is on; returns true when the
// user saved a tag (the tag editor's changed flag).
using MissingTagPrompt = std::function<bool(const std::string& path)>;

struct RenameOptions {
    std::string pattern;
    MissingTagPrompt prompt;  // empty: files without a tag are passed over
    // Move nothing: each move is checked as the real run would make it, in
    // the order of the batch (CMovePlan), and reported as it would end.
    bool dryRun = false;
    // Rename all: follow symbolic links that lead outside the folder; without
    // it such links are passed by and reported (kLinkOutsideReason).
    bool followLinks = false;
    // The operation's undo journal entry, or none: each move is committed to
    // it before it is made (journal::JournalError when it cannot be).
    journal::CJournalEntry* journal = nullptr;
    // Rename all: told after each file; stopping it ends the walk once the
    // moves in hand are made (with a journal, the batch it names).
    ProgressHook progress = {};
};

// Returns true when a move was attempted (counted by Rename all). A dry run
// of several files gives them one plan, so that each sees the names the
// files before it would take and set free; without one the file is alone.
bool RenameOneFile(const std::string& folder, const std::string& name, const RenameOptions& options,
                   const OutcomeSink& sink = {}, CMovePlan* plan = nullptr);
// Renames every lower-case ".mp3" file of folder, with its subfolders when
// recurse; returns the number of attempted moves.
int RenameFolderTree(const std::string& folder, bool recurse, const RenameOptions& options,
                     const OutcomeSink& sink = {});

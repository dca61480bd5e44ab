// The names of a host folder by their case fold, for the case-clash check
// of moves: a batch of renames in one folder reads the folder once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The names in hostFolder whose case fold is folded. Returns 0, or the errno
// value of a folder that cannot be read. Outside a CMoveBatch the folder is
// read every time. Inside one, the index of the last folder asked is kept,
// per thread, while the folder's device, inode and modification time stay
// the same, and this thread's own moves update it (NoteMove). The exact
// target name is guarded by the move itself (RENAME_NOREPLACE), so a stale
// index could at worst miss a clash of case that another program made in the
// same clock tick during the batch.
int NamesFoldingTo(const std::string& hostFolder, std::string_view folded, std::vector<std::string>& names);
// Tells the index that this thread renamed hostFrom to hostTo.
void NoteMove(const std::string& hostFrom, const std::string& hostTo);

// Marks a batch of moves on this thread (Rename all): folders are read once
// for it. Batches nest; the index is dropped when the outermost one ends.
class CMoveBatch {
public:
    CMoveBatch();
    ~CMoveBatch();
    CMoveBatch(const CMoveBatch&) = delete;
    CMoveBatch& operator=(const CMoveBatch&) = delete;
};

} // namespace platform

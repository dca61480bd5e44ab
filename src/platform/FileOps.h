// Whole-file operations on system paths: move, delete, drive queries.
#pragma once

#include "DriveTable.h"
#include "Trash.h"

#include <string>

namespace platform {

// Never overwrites: renameat2(RENAME_NOREPLACE), or link+unlink where the
// filesystem lacks it. Rejects a new name holding < > : " / \ | ? * or a
// byte below 0x20 (EINVAL), and a target taken when case is ignored (EEXIST;
// see MoveCheck). False on failure; the errno value is in GetLastError().
bool MoveFileA(const std::string& from, const std::string& to);
// The checks of MoveFileA without the move, for a dry run: 0 when the move
// would go ahead, else the errno value it would fail with: EINVAL (a name
// Windows rejects), ENOENT (no such source, unmapped drive, no target
// folder), EEXIST (the target name, or a name equal to it when case is
// ignored, belongs to another entry of the target's folder; the moved file's
// own name does not count, so a case-only rename works), EACCES or EROFS (a
// folder this process may not change). Moving a file onto
// its own path is no change and passes.
int MoveCheck(const std::string& from, const std::string& to);
// Moves a file (a link itself, not its target) to the desktop trash, so it
// can be restored; never removes a folder (EISDIR) and refuses a read-only
// file (EACCES). Where no trash can be used on the file's mount it fails with
// the cause's errno value and leaves the file; it never unlinks instead.
bool DeleteFileA(const std::string& path);
// The same, telling where the file went (for taking the delete back).
bool DeleteFileA(const std::string& path, TrashEntry& trashed);
// root: "X:\"; NoRootDir when the drive is unmapped or its root is missing.
DriveType GetDriveTypeA(const std::string& root);
// The volume label of "X:\" as the host spells it (like a name, not
// code-page text); false when the drive does not exist.
bool GetVolumeInformationA(const std::string& root, std::string& label);

// The move of two host paths where the filesystem lacks RENAME_NOREPLACE:
// link the new name (EEXIST when taken), then unlink the old one. Returns 0
// or the errno value; on failure nothing is left changed.
int LinkThenUnlink(const std::string& hostFrom, const std::string& hostTo);

// errno value of the last failed call of this thread.
int GetLastError();
void SetLastError(int error);

} // namespace platform

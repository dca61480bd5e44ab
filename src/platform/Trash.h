// The desktop trash that file managers share (the freedesktop.org Trash layout), so that a
// deleted file shows up in the file manager's trash and can be restored:
// the home trash ${XDG_DATA_HOME:-~/.local/share}/Trash for a file on its
// mount, else the mount's $topdir/.Trash/$uid (an administrator's sticky
// .Trash) or $topdir/.Trash-$uid. A file is never removed instead.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Where a trashed file went, and what it was: enough to find it and put it back.
struct TrashEntry {
    std::string trashFolder;  // "~/.local/share/Trash", "$topdir/.Trash-1000", "$topdir/.Trash/1000"
    std::string trashedName;  // its name under files/, and of info/<name>.trashinfo
    std::string originalPath; // the absolute host path it had (its folder resolved)
    // The file itself: a later file trashed under the same name is not this one.
    dev_t device = 0;
    ino_t inode = 0;

    std::string FilePath() const; // trashFolder/files/trashedName
    std::string InfoPath() const; // trashFolder/info/trashedName.trashinfo
};

// error is 0 on success, else the errno value of the cause; reason then says
// in a sentence what could not be done and where.
struct TrashOutcome {
    int error = 0;
    std::string reason;
    bool Ok() const { return error == 0; }
};

struct TrashResult : TrashOutcome {
    TrashEntry entry; // filled when Ok()
};

// Moves the file (or the symbolic link itself, never its target) at a host
// path into the trash for its mount. Refuses a folder (EISDIR). Fails, and
// leaves the file where it is, where no trash can be used on its mount.
TrashResult MoveToTrash(const std::string& hostPath);

// True while the entry's file is still in its trash folder as it was put there.
bool IsInTrash(const TrashEntry& entry);

// Moves the entry's file back to its original path and drops its .trashinfo.
// Refuses, changing nothing, when the file is no longer in the trash (ENOENT)
// or its original name is taken again (EEXIST); never overwrites.
TrashOutcome RestoreFromTrash(const TrashEntry& entry);

// The Path= value of a .trashinfo: the path's bytes URL-escaped as RFC 2396
// does, '/' kept. Decoding gives nullopt for a broken escape.
std::string EncodeTrashPath(std::string_view path);
std::optional<std::string> DecodeTrashPath(std::string_view text);

} // namespace platform

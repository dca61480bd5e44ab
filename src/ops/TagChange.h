// The one call that changes a file's tag: the tag editor, MultiTag, Remove
// tag and the command line all go through it, so a failure reads the same.
#pragma once

#include "FileOutcome.h"

#include <functional>
#include <string>

class CId3v1Tag;

// Changes the tag in memory; true when a long comment took the place of a track number.
using TagEdit = std::function<bool(CId3v1Tag&)>;

struct TagChangeResult {
    // ok, or reason "cannot open" / "cannot write" with the errno value;
    // trackOverwritten and hasId3v2 as the change found them.
    FileOutcome outcome;
    bool opened = false;  // the file could be read (MultiTag counts these)
    bool written = false; // false when the file had no tag and the change gave it none: nothing to write
};

// Opens path into tag, applies edit and saves. A dry run, instead of saving,
// opens the file for writing as the save would (WriteOpenError) and writes
// nothing. A write that fails midway leaves the file as it was and is
// reported as "cannot write"; it raises nothing. The caller's tag then holds
// what was (or would have been) saved.
TagChangeResult ChangeTag(CId3v1Tag& tag, const std::string& path, const TagEdit& edit, bool dryRun = false);
// The same with a tag object of its own.
TagChangeResult ChangeTag(const std::string& path, const TagEdit& edit, bool dryRun = false);

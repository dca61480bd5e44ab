// What a dry run of a tag write asks instead of writing.
#pragma once

#include <string>

// Opens the file for writing as CId3v1Tag::Save does (read-write, with the
// exclusive lock) and closes it again without writing a byte: 0 when a save
// could open it, else the errno value the save would stop with (EACCES for
// a read-only file, EWOULDBLOCK for a file another opener holds, ENOENT).
int WriteOpenError(const std::string& systemPath);

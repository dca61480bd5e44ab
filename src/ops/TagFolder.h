// MultiTag: chosen fields into every lower-case ".mp3" file of a folder tree.
#pragma once

#include "FileOutcome.h"

#include <optional>
#include <string>

class CId3v1Tag;

struct TagFields {
    std::optional<std::string> artist, title, album, year, genre, comment; // chosen when set
    void ApplyTo(CId3v1Tag& tag) const;                                    // setters in the order artist..comment
};

// Opens, sets and saves each file; returns the number of files processed
// (opened). Files that cannot be opened are skipped and not counted. With
// jobs > 1 the files are written on that many threads; the files written,
// the count and the order of the reports are the same as with one.
int TagFolder(const std::string& folder, const TagFields& fields, bool recurse, const OutcomeSink& sink = {},
              unsigned jobs = 1);

// One line of a journal entry: what one file was before a change and what the
// change made of it, by host path (drive letters may move between runs) and
// by device and inode (a name may meanwhile lead to another file).
#pragma once

#include "platform/File.h"
#include "platform/Trash.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace journal {

// A file's end as a tag change sees it: its length and, when it is longer
// than one record, its last 128 bytes.
struct TailState {
    std::uint64_t length = 0;
    std::string tail;
    bool operator==(const TailState&) const = default;
};

enum class RecordKind {
    Tag,     // path: the file; before and after its tail
    Move,    // path: the old name, newPath: the new one
    Trash,   // path: the file; trashed: where it went (empty until it has gone)
    Restore, // path: the original name; trashed: where it came back from
};

struct Record {
    RecordKind kind = RecordKind::Tag;
    platform::FileIdentity identity;
    std::string path;
    std::string newPath;
    TailState before;
    TailState after;
    std::string trashFolder;
    std::string trashedName;

    bool operator==(const Record&) const = default;
    bool IsTrashed() const { return !trashedName.empty(); }
    platform::TrashEntry TrashEntry() const;
};

// One line, without its newline: the kind, then the fields as decimal numbers
// and hex bytes, so that any name survives.
std::string FormatRecord(const Record& record);
// The same line appended to line.
void AppendRecord(std::string& line, const Record& record);
// Nullopt for a line that is no record (a line cut short by a crash).
std::optional<Record> ParseRecord(std::string_view line);

// Hex of bytes and back; nullopt for odd length or a non-hex digit. "-" stands for no bytes.
std::string ToHexField(std::string_view bytes);
std::optional<std::string> FromHexField(std::string_view field);

} // namespace journal

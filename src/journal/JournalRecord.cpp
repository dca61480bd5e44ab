#include "JournalRecord.h"

#include <array>
#include <charconv>
#include <cstring>
#include <vector>

namespace journal {
namespace {

constexpr std::string_view kKindNames[] = {"tag", "move", "trash", "restore"};

std::vector<std::string_view> SplitFields(std::string_view line)
{
    std::vector<std::string_view> fields;
    while (!line.empty()) {
        const std::size_t space = line.find(' ');
        fields.push_back(line.substr(0, space));
        if (space == std::string_view::npos) break;
        line.remove_prefix(space + 1);
    }
    return fields;
}

std::optional<std::uint64_t> ParseNumber(std::string_view text)
{
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The formatters append to one line: a batch of thousands of records is
// formatted without a string of its own for each field.
void AppendNumber(std::string& line, std::uint64_t value)
{
    char digits[20];
    line.append(digits, std::to_chars(std::begin(digits), std::end(digits), value).ptr);
}

// Each byte's two digits at once: a tag change's record is mostly hex (its
// path and the 128 bytes before and after), written for every file changed.
constexpr std::array<std::array<char, 2>, 256> kHexPairs = [] {
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::array<std::array<char, 2>, 256> pairs{};
    for (std::size_t value = 0; value < pairs.size(); ++value)
        pairs[value] = {kDigits[value >> 4], kDigits[value & 15]};
    return pairs;
}();

void AppendHex(std::string& line, std::string_view bytes)
{
    if (bytes.empty()) {
        line += '-';
        return;
    }
    const std::size_t start = line.size();
    line.resize(start + bytes.size() * 2);
    char* hex = line.data() + start;
    for (const char byte : bytes) {
        std::memcpy(hex, kHexPairs[static_cast<unsigned char>(byte)].data(), 2);
        hex += 2;
    }
}

void AppendTail(std::string& line, const TailState& state)
{
    line += ' ';
    AppendNumber(line, state.length);
    line += ' ';
    AppendHex(line, state.tail);
}

// The fields every kind starts with: the kind, device, inode and path.
void AppendHead(std::string& line, const Record& record)
{
    line += kKindNames[static_cast<int>(record.kind)];
    line += ' ';
    AppendNumber(line, record.identity.device);
    line += ' ';
    AppendNumber(line, record.identity.inode);
    line += ' ';
    AppendHex(line, record.path);
}

std::optional<RecordKind> KindOf(std::string_view name)
{
    for (std::size_t i = 0; i < std::size(kKindNames); ++i)
        if (kKindNames[i] == name) return static_cast<RecordKind>(i);
    return std::nullopt;
}

std::size_t FieldCount(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Tag: return 8;
    case RecordKind::Move: return 5;
    case RecordKind::Trash:
    case RecordKind::Restore: return 6;
    }
    return 0;
}

std::optional<TailState> ParseTail(std::string_view length, std::string_view tail)
{
    const auto number = ParseNumber(length);
    auto bytes = FromHexField(tail);
    if (!number || !bytes) return std::nullopt;
    return TailState{*number, std::move(*bytes)};
}

// The fields after the head, by kind; false when one does not parse.
bool ParseRest(const std::vector<std::string_view>& fields, Record& record)
{
    switch (record.kind) {
    case RecordKind::Tag: {
        auto before = ParseTail(fields[4], fields[5]);
        auto after = ParseTail(fields[6], fields[7]);
        if (!before || !after) return false;
        record.before = std::move(*before);
        record.after = std::move(*after);
        return true;
    }
    case RecordKind::Move: {
        auto newPath = FromHexField(fields[4]);
        if (!newPath || newPath->empty()) return false;
        record.newPath = std::move(*newPath);
        return true;
    }
    case RecordKind::Trash:
    case RecordKind::Restore: {
        auto folder = FromHexField(fields[4]);
        auto name = FromHexField(fields[5]);
        if (!folder || !name) return false;
        record.trashFolder = std::move(*folder);
        record.trashedName = std::move(*name);
        return true;
    }
    }
    return false;
}

} // namespace

platform::TrashEntry Record::TrashEntry() const
{
    platform::TrashEntry entry;
    entry.trashFolder = trashFolder;
    entry.trashedName = trashedName;
    entry.originalPath = path;
    entry.device = static_cast<dev_t>(identity.device);
    entry.inode = static_cast<ino_t>(identity.inode);
    return entry;
}

std::string ToHexField(std::string_view bytes)
{
    std::string hex;
    AppendHex(hex, bytes);
    return hex;
}

std::optional<std::string> FromHexField(std::string_view field)
{
    if (field == "-") return std::string();
    if (field.empty() || field.size() % 2 != 0) return std::nullopt;
    std::string bytes;
    bytes.reserve(field.size() / 2);
    for (std::size_t i = 0; i < field.size(); i += 2) {
        const int high = HexDigit(field[i]), low = HexDigit(field[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

std::string FormatRecord(const Record& record)
{
    std::string line;
    AppendRecord(line, record);
    return line;
}

void AppendRecord(std::string& line, const Record& record)
{
    AppendHead(line, record);
    switch (record.kind) {
    case RecordKind::Tag:
        AppendTail(line, record.before);
        AppendTail(line, record.after);
        return;
    case RecordKind::Move:
        line += ' ';
        AppendHex(line, record.newPath);
        return;
    case RecordKind::Trash:
    case RecordKind::Restore:
        line += ' ';
        AppendHex(line, record.trashFolder);
        line += ' ';
        AppendHex(line, record.trashedName);
        return;
    }
}

std::optional<Record> ParseRecord(std::string_view line)
{
    const std::vector<std::string_view> fields = SplitFields(line);
    if (fields.empty()) return std::nullopt;
    const std::optional<RecordKind> kind = KindOf(fields[0]);
    if (!kind || fields.size() != FieldCount(*kind)) return std::nullopt;
    Record record;
    record.kind = *kind;
    const auto device = ParseNumber(fields[1]), inode = ParseNumber(fields[2]);
    auto path = FromHexField(fields[3]);
    if (!device || !inode || !path || path->empty()) return std::nullopt;
    record.identity = {*device, *inode};
    record.path = std::move(*path);
    if (!ParseRest(fields, record)) return std::nullopt;
    return record;
}

} // namespace journal

// Arbitrary bytes as a table file. Input that does not begin with the
// envelope's magic is taken as the plain table text and wrapped first, so that
// the fuzzer reaches the table parser without having to spell hex digits.
// Load, read everything, search, Close, Load again: the second load must see
// the same table, and no temporary file may be left in the folder.
#include "FuzzCheck.h"
#include "FuzzDrive.h"

#include "table/HexEnvelope.h"
#include "table/TableFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr char kTableName[] = "t.qzd";
constexpr char kStoredName[] = "t.txt";
// Enough fields to see every column of a few rows without slowing the fuzzer.
constexpr std::size_t kMaxFields = 4096;
constexpr int kMaxColumns = 20000;

struct Snapshot {
    int rows = 0;
    int columns = 0;
    std::vector<std::string> fields; // row by row, as far as kMaxFields
    bool operator==(const Snapshot&) const = default;
};

// The columns are counted by the code GetField leaves: an empty condition
// sets code 9 without moving the current row, and only a column outside the
// table turns it into 11.
int CountColumns(CTableFile& table)
{
    int column = 0;
    for (; column < kMaxColumns; ++column) {
        table.FindFirst("");
        table.GetField(column);
        if (table.GetLastError() == CTableFile::kBadColumn) break;
    }
    return column;
}

// Reads from the first row, which Load makes current.
Snapshot Read(CTableFile& table)
{
    Snapshot snapshot;
    snapshot.rows = table.GetRowCount();
    snapshot.columns = CountColumns(table);
    FUZZ_CHECK(snapshot.rows >= 0);
    if (snapshot.rows == 0 || snapshot.columns == 0) return snapshot;
    for (int row = 0; snapshot.fields.size() < kMaxFields; ++row) {
        for (int column = 0; column < snapshot.columns; ++column)
            snapshot.fields.push_back(table.GetField(column));
        if (row + 1 == snapshot.rows) {
            FUZZ_CHECK(!table.MoveNext() && table.GetLastError() == CTableFile::kLastRow);
            break;
        }
        FUZZ_CHECK(table.MoveNext());
    }
    return snapshot;
}

// A search for the value that a column holds in a row read before must find a
// row with that value; odd conditions must only fail.
void Search(CTableFile& table, const Snapshot& snapshot)
{
    for (const char* condition : {"", "ID", "=", "=x", "ID=5", "Text=", "Text==x"})
        if (table.FindFirst(condition)) {
            const std::string_view text(condition);
            const std::size_t equals = text.find('=');
            FUZZ_CHECK(table.GetField(std::string(text.substr(0, equals))) == text.substr(equals + 1));
        }
    const std::size_t readRows = snapshot.columns ? snapshot.fields.size() / snapshot.columns : 0;
    for (const std::string name : {"ID", "Text"}) {
        const int column = table.GetColumnIndex(name);
        if (column < 0 || readRows == 0) continue;
        const std::string& value = snapshot.fields[(readRows - 1) * snapshot.columns + column];
        FUZZ_CHECK(table.FindFirst(name + "=" + value));
        FUZZ_CHECK(table.GetField(column) == value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CFuzzDrive& drive = CFuzzDrive::Get();
    drive.Empty();
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!bytes.starts_with(std::string_view(CHexEnvelope::kMagic, CHexEnvelope::kMagicLength)))
        bytes = CHexEnvelope::Wrap(kStoredName, bytes);
    drive.WriteFile(kTableName, bytes);
    const std::vector<std::string> before = drive.Entries();

    CTableFile table;
    const bool loaded = table.Load(drive.Sys(kTableName));
    FUZZ_CHECK(drive.Entries() == before);
    FUZZ_CHECK(drive.ReadFile(kTableName) == bytes);
    if (!loaded) {
        FUZZ_CHECK(!table.IsLoaded() && table.GetRowCount() == 0);
        return 0;
    }
    const Snapshot first = Read(table);
    Search(table, first);
    // A plain text without widths, names or rows loads but does not count as
    // loaded, so it has nothing to write back.
    const bool wasLoaded = table.IsLoaded();
    if (wasLoaded) FUZZ_CHECK(!table.Load(drive.Sys(kTableName)) && table.GetLastError() == CTableFile::kAlreadyLoaded);
    const bool closed = table.Close();
    FUZZ_CHECK(closed == wasLoaded);
    FUZZ_CHECK(drive.Entries() == before);
    if (!closed) return 0;
    FUZZ_CHECK(!table.IsLoaded());
    FUZZ_CHECK(table.Load());
    FUZZ_CHECK(Read(table) == first);
    FUZZ_CHECK(drive.Entries() == before);
    return 0;
}

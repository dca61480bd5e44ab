// HKEY_LOCAL_MACHINE as a REGEDIT4 text file (the hive).
//
// The hive lives at $SONADEX_HIVE, else ${XDG_CONFIG_HOME:-$HOME/.config}/sonadex-pro/hklm.reg.
// Keys are opened, never created; key and value names compare
// case-insensitively. Every write re-reads the file under a lock and replaces
// it atomically (temporary file, fsync, rename), so no crash loses the hive.
// A line the parser does not understand is kept as written and named once on
// standard error; a value given twice reads as the last one, and a write
// keeps only that one.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

constexpr long ERROR_SUCCESS = 0;
constexpr long ERROR_FILE_NOT_FOUND = 2;
constexpr long ERROR_ACCESS_DENIED = 5;
constexpr long ERROR_INVALID_HANDLE = 6;
constexpr long ERROR_MORE_DATA = 234;
constexpr long ERROR_INVALID_DATA = 13;

enum RegAccess : unsigned { KEY_READ = 0x20019, KEY_WRITE = 0x20006, KEY_ALL_ACCESS = 0xF003F };

std::string HivePath();

// The hive file is read only when it is a regular file of at most this size.
constexpr std::size_t kMaxHiveBytes = std::size_t{1} << 20;

// In-memory hive: keys (full names without the HKEY_LOCAL_MACHINE\ prefix)
// holding string values. Parse and Serialize are mirror images.
class CHive {
public:
    // What reading the hive file gave: a hive (empty for a missing file), or
    // why there is none: not a regular file, too large, unreadable, not REGEDIT4.
    struct Loaded;

    static std::optional<CHive> Parse(std::string_view text); // nullopt: not REGEDIT4
    static Loaded Load(const std::string& hostPath);
    static CHive LoadFile(const std::string& hostPath); // empty hive when missing or unusable
    std::string Serialize() const;

    // The lines (numbered from 1) that were not understood and are kept as written.
    const std::vector<std::size_t>& BadLines() const { return m_badLines; }

    bool HasKey(std::string_view key) const;
    void AddKey(std::string_view key); // for the set-up and tests; the program never creates keys
    // The data of a string value; nullopt for a missing value or one of another type.
    std::optional<std::string> Get(std::string_view key, std::string_view value) const;
    bool HasValue(std::string_view key, std::string_view value) const; // of any type
    // False when there is no such key, or the name or data holds a line break
    // or a NUL byte, which a REGEDIT4 string cannot carry.
    bool Set(std::string_view key, std::string_view value, std::string_view data);
    // The string values of a key, as (name, data).
    std::vector<std::pair<std::string, std::string>> Values(std::string_view key) const;

private:
    struct Value {
        std::string name; // "" for the default value (@)
        std::string data; // string data (system bytes), the raw text after '=' for other types, or the whole line
        bool isString = true;
        bool isLine = false; // a line not understood, written back as it is; no value
    };
    struct Key {
        std::string name; // without the root; the whole bracketed text for a foreign key
        std::vector<Value> values;
        bool foreign = false; // another root or a deletion: kept as written, never looked up
    };
    static bool IsValueNamed(const Value& value, std::string_view name);
    Key* FindKey(std::string_view key);
    const Key* FindKey(std::string_view key) const;
    bool ParseLine(std::string_view line, Key*& current);
    void KeepLine(std::string line, Key* current);
    void Put(Key& key, Value value);

    std::vector<std::string> m_leadingLines; // not understood, before the first key
    std::vector<Key> m_keys;
    std::vector<std::size_t> m_badLines;
};

struct CHive::Loaded {
    std::optional<CHive> hive;
    std::string problem; // "settings file PATH is not a regular file"...; empty with a hive
};

// Read-modify-write of the hive file under its lock, replaced atomically.
// A missing file starts as an empty hive; a file that cannot be loaded (see
// CHive::Load) is never replaced. The edit returns false to abandon the write. False when the
// file was not written (abandoned, unreadable, read-only or a failed write).
// problem, when given, receives why a write that was wanted did not happen.
bool UpdateHiveFile(const std::string& hostPath, const std::function<bool(CHive&)>& edit,
                    std::string* problem = nullptr);

// An open key of HKEY_LOCAL_MACHINE. RAII: closed on destruction.
class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // ERROR_FILE_NOT_FOUND for a missing key; with KEY_WRITE, ERROR_ACCESS_DENIED
    // where the hive file cannot be written.
    long Open(const std::string& subKey, unsigned access);
    // Reads a value into a buffer of bufferSize bytes (terminator included):
    // ERROR_MORE_DATA when the text and its terminator do not fit.
    long QueryStringValue(const std::string& name, std::string& value, std::size_t bufferSize = 260) const;
    long SetStringValue(const std::string& name, const std::string& value);
    long Close();
    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
    bool m_writable = false;
    std::string m_key;
};

} // namespace platform

// HKEY_LOCAL_MACHINE as a REGEDIT4 text file (the hive).
//
// The hive lives at $SONADEX_HIVE, else ${XDG_CONFIG_HOME:-$HOME/.config}/sonadex-pro/hklm.reg.
// Keys are opened, never created; key and value names compare
// case-insensitively. Every write re-reads the file under a lock and replaces
// it atomically (temporary file, fsync, rename), so no crash loses the hive.
#pragma once

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

// In-memory hive: keys (full names without the HKEY_LOCAL_MACHINE\ prefix)
// holding string values. Parse and Serialize are mirror images.
class CHive {
public:
    static std::optional<CHive> Parse(std::string_view text); // nullopt: not REGEDIT4
    static CHive LoadFile(const std::string& hostPath);       // empty hive when missing or malformed
    std::string Serialize() const;

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
        std::string data; // string data (system bytes), or the raw text after '=' for other types
        bool isString = true;
    };
    struct Key {
        std::string name; // without the root; the whole bracketed text for a foreign key
        std::vector<Value> values;
        bool foreign = false; // another root or a deletion: kept as written, never looked up
    };
    Key* FindKey(std::string_view key);
    const Key* FindKey(std::string_view key) const;
    bool ParseLine(std::string_view line, Key*& current);
    void Put(Key& key, Value value);

    std::vector<Key> m_keys;
};

// Read-modify-write of the hive file under its lock, replaced atomically.
// A missing file starts as an empty hive; a file that is not REGEDIT4 is
// never replaced. The edit returns false to abandon the write. False when the
// file was not written (abandoned, unreadable, read-only or a failed write).
bool UpdateHiveFile(const std::string& hostPath, const std::function<bool(CHive&)>& edit);

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

#include "Registry.h"

#include "HostFile.h"
#include "HostUser.h"
#include "ReplacementFile.h"
#include "UniqueFd.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <set>

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kRootPrefix = "HKEY_LOCAL_MACHINE\\";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kBlanks = " \t";
constexpr unsigned kWriteRights = 0x0006; // KEY_SET_VALUE | KEY_CREATE_SUB_KEY
constexpr mode_t kNewHiveMode = 0644;

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) { return Upper(x) == Upper(y); });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string_view KeyName(std::string_view key)
{
    while (key.starts_with('\\'))
        key.remove_prefix(1);
    while (key.ends_with('\\'))
        key.remove_suffix(1);
    return key;
}

// Reads a quoted REGEDIT4 string at text[0] == '"'; moves text past it.
// Only \\ and \" are escapes; any other backslash stands for itself.
std::optional<std::string> ReadQuoted(std::string_view& text)
{
    std::string result;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '"') {
            text.remove_prefix(i + 1);
            return result;
        }
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) ++i;
        result += text[i];
    }
    return std::nullopt;
}

std::string Quote(std::string_view text)
{
    std::string result = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"') result += '\\';
        result += c;
    }
    return result + '"';
}

bool CanCarry(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

struct LogicalLine {
    std::string text;
    std::size_t number = 0; // of its first physical line, from 1
};

// Logical lines: CR LF or LF ends a line; a line ending in a backslash (a
// wrapped hex: value) goes on in the next one, kept as it was written.
std::vector<LogicalLine> LogicalLines(std::string_view text)
{
    std::vector<LogicalLine> lines;
    bool continues = false;
    for (std::size_t number = 1; !text.empty(); ++number) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (continues)
            lines.back().text.append(kLineEnd).append(line);
        else
            lines.push_back({std::string(line), number});
        const std::string_view trimmed = Trim(lines.back().text);
        continues = trimmed.ends_with('\\') && !trimmed.starts_with('[');
    }
    // A continuation cut off by the end of the file continues nothing: keep it
    // out of the value, or a line written after it on rewrite would be swallowed.
    if (continues) {
        std::string& last = lines.back().text;
        while (!last.empty() && (last.back() == '\\' || last.back() == ' ' || last.back() == '\t'))
            last.pop_back();
    }
    return lines;
}

// A line of the file for a message: control bytes as '?', long ones cut.
std::string Shown(std::string_view line)
{
    constexpr std::size_t kShownLength = 60;
    std::string shown(line.substr(0, kShownLength));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return line.size() > kShownLength ? shown + "..." : shown;
}

// Each line not understood is named once a process, however often the hive is read.
void ReportBadLines(const std::string& hostPath, const CHive& hive, std::string_view text)
{
    static std::mutex guard;
    static std::set<std::pair<std::string, std::size_t>> reported;
    if (hive.BadLines().empty()) return;
    const std::lock_guard lock(guard);
    const std::vector<LogicalLine> lines = LogicalLines(text);
    for (const std::size_t number : hive.BadLines()) {
        if (!reported.emplace(hostPath, number).second) continue;
        const auto line = std::ranges::find(lines, number, &LogicalLine::number);
        std::cerr << "settings file " << hostPath << ", line " << number
                  << ": not understood, kept as it is: " << (line == lines.end() ? "" : Shown(line->text)) << '\n';
    }
}

// Writable for us and not marked read-only: a file or folder with no write
// bit counts as read-only even for root, as the read-only attribute would.
bool IsWritable(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 &&
           access(path.c_str(), W_OK) == 0;
}

std::string FolderOf(const std::string& path)
{
    const std::string folder = fs::path(path).parent_path().string();
    return folder.empty() ? "." : folder;
}

UniqueFd LockHive(const std::string& hostPath)
{
    UniqueFd lock(open((hostPath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.IsValid()) return lock;
    while (flock(lock.Get(), LOCK_EX) != 0)
        if (errno != EINTR) return UniqueFd();
    return lock;
}

} // namespace

std::string HivePath()
{
    if (const char* hive = std::getenv("SONADEX_HIVE"); hive && *hive) return hive;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative XDG_CONFIG_HOME.
    const std::string base = config && *config == '/' ? config : HomeFolder() + "/.config";
    return base + "/sonadex-pro/hklm.reg";
}

std::optional<CHive> CHive::Parse(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    const std::vector<LogicalLine> lines = LogicalLines(text);
    if (lines.empty() || Trim(lines.front().text) != kHeader) return std::nullopt;
    CHive hive;
    Key* current = nullptr;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (hive.ParseLine(Trim(lines[i].text), current)) continue;
        hive.KeepLine(lines[i].text, current);
        hive.m_badLines.push_back(lines[i].number);
    }
    return hive;
}

void CHive::KeepLine(std::string line, Key* current)
{
    Value kept{{}, std::move(line), false, true};
    if (current)
        current->values.push_back(std::move(kept));
    else
        m_leadingLines.push_back(std::move(kept.data));
}

bool CHive::ParseLine(std::string_view line, Key*& current)
{
    if (line.empty() || line.starts_with(';')) return true;
    if (line.starts_with('[')) {
        if (!line.ends_with(']')) return false;
        const std::string_view inner = line.substr(1, line.size() - 2);
        if (StartsWithNoCase(inner, kRootPrefix) && !KeyName(inner.substr(kRootPrefix.size())).empty()) {
            AddKey(inner.substr(kRootPrefix.size()));
            current = FindKey(inner.substr(kRootPrefix.size()));
        } else {
            // Keys of other roots and deletions ("[-...]") are no keys of this hive, but a
            // rewrite of the file must not lose them.
            m_keys.push_back({std::string(inner), {}, true});
            current = &m_keys.back();
        }
        return true;
    }
    Value value;
    if (line.starts_with('@')) {
        line.remove_prefix(1);
    } else if (line.starts_with('"')) {
        std::optional<std::string> name = ReadQuoted(line);
        if (!name) return false;
        value.name = std::move(*name);
    } else {
        return false;
    }
    line = Trim(line);
    if (!line.starts_with('=')) return false;
    line = Trim(line.substr(1));
    if (line.starts_with('"')) {
        std::optional<std::string> data = ReadQuoted(line);
        if (!data || !Trim(line).empty()) return false;
        value.data = std::move(*data);
    } else {
        if (line.empty()) return false;
        value.data = std::string(line);
        value.isString = false;
    }
    // A value outside any key belongs nowhere: not understood, so kept as a line.
    if (!current) return false;
    Put(*current, std::move(value));
    return true;
}

CHive::Loaded CHive::Load(const std::string& hostPath)
{
    const BoundedRead read = ReadRegularHostFile(hostPath, kMaxHiveBytes);
    if (read.failure == BoundedRead::Failure::Missing) return {CHive(), {}};
    const std::string named = "settings file " + hostPath + " ";
    if (read.failure != BoundedRead::Failure::None) return {std::nullopt, named + DescribeFailure(read, kMaxHiveBytes)};
    std::optional<CHive> hive = Parse(read.bytes);
    if (!hive) return {std::nullopt, named + "is not a REGEDIT4 file"};
    ReportBadLines(hostPath, *hive, read.bytes);
    return {std::move(hive), {}};
}

CHive CHive::LoadFile(const std::string& hostPath)
{
    Loaded loaded = Load(hostPath);
    return loaded.hive ? std::move(*loaded.hive) : CHive();
}

std::string CHive::Serialize() const
{
    std::string text(kHeader);
    text += kLineEnd;
    for (const std::string& line : m_leadingLines)
        text.append(line).append(kLineEnd);
    for (const Key& key : m_keys) {
        text.append(kLineEnd).append("[").append(key.foreign ? "" : kRootPrefix).append(key.name).append("]");
        text.append(kLineEnd);
        for (const Value& value : key.values) {
            if (value.isLine) {
                text.append(value.data).append(kLineEnd);
                continue;
            }
            text += value.name.empty() ? std::string("@") : Quote(value.name);
            text.append("=").append(value.isString ? Quote(value.data) : value.data).append(kLineEnd);
        }
    }
    return text;
}

bool CHive::HasKey(std::string_view key) const
{
    key = KeyName(key);
    if (key.empty()) return false;
    // A key exists as soon as one of its subkeys does, as in the registry.
    return std::ranges::any_of(m_keys, [&](const Key& k) {
        return !k.foreign && (SameName(k.name, key) || (StartsWithNoCase(k.name, key) && k.name[key.size()] == '\\'));
    });
}

void CHive::AddKey(std::string_view key)
{
    key = KeyName(key);
    if (!key.empty() && !FindKey(key)) m_keys.push_back({std::string(key), {}});
}

std::optional<std::string> CHive::Get(std::string_view key, std::string_view value) const
{
    const Key* found = FindKey(key);
    if (!found) return std::nullopt;
    const auto it = std::ranges::find_if(found->values, [&](const Value& v) { return IsValueNamed(v, value); });
    if (it == found->values.end() || !it->isString) return std::nullopt;
    return it->data;
}

bool CHive::Set(std::string_view key, std::string_view value, std::string_view data)
{
    if (!HasKey(key) || !CanCarry(value) || !CanCarry(data)) return false;
    AddKey(key);
    Put(*FindKey(key), Value{std::string(value), std::string(data), true});
    return true;
}

bool CHive::HasValue(std::string_view key, std::string_view value) const
{
    const Key* found = FindKey(key);
    return found && std::ranges::any_of(found->values, [&](const Value& v) { return IsValueNamed(v, value); });
}

std::vector<std::pair<std::string, std::string>> CHive::Values(std::string_view key) const
{
    std::vector<std::pair<std::string, std::string>> result;
    if (const Key* found = FindKey(key))
        for (const Value& value : found->values)
            if (value.isString && !value.isLine) result.emplace_back(value.name, value.data);
    return result;
}

bool CHive::IsValueNamed(const Value& value, std::string_view name)
{
    return !value.isLine && SameName(value.name, name);
}

CHive::Key* CHive::FindKey(std::string_view key)
{
    key = KeyName(key);
    const auto it = std::ranges::find_if(m_keys, [&](const Key& k) { return !k.foreign && SameName(k.name, key); });
    return it == m_keys.end() ? nullptr : &*it;
}

const CHive::Key* CHive::FindKey(std::string_view key) const
{
    return const_cast<CHive*>(this)->FindKey(key);
}

void CHive::Put(Key& key, Value value)
{
    const auto it = std::ranges::find_if(key.values, [&](const Value& v) { return IsValueNamed(v, value.name); });
    if (it == key.values.end()) {
        key.values.push_back(std::move(value));
    } else {
        // The value keeps the spelling it was first stored under, as in the registry.
        it->data = std::move(value.data);
        it->isString = value.isString;
    }
}

bool UpdateHiveFile(const std::string& hostPath, const std::function<bool(CHive&)>& edit, std::string* problem)
{
    std::string ignored;
    std::string& why = problem ? *problem : ignored;
    why.clear();
    // Checked before the lock file is made, so that a hive that is no usable
    // file leaves its folder exactly as it was.
    if (CHive::Loaded first = CHive::Load(hostPath); !first.hive) {
        why = std::move(first.problem);
        return false;
    }
    struct stat info {};
    if (stat(hostPath.c_str(), &info) == 0 && !IsWritable(hostPath)) {
        why = "settings file " + hostPath + " is read-only";
        return false;
    }
    std::error_code ec;
    fs::create_directories(FolderOf(hostPath), ec);
    const UniqueFd lock = LockHive(hostPath);
    if (!lock.IsValid()) {
        why = "cannot lock the settings file " + hostPath + ": " + std::strerror(errno);
        return false;
    }
    CHive::Loaded loaded = CHive::Load(hostPath);
    if (!loaded.hive) {
        why = std::move(loaded.problem);
        return false;
    }
    if (!edit(*loaded.hive)) return false;
    if (ReplaceFileWith(hostPath, loaded.hive->Serialize(), kNewHiveMode)) return true;
    why = "cannot write the settings file " + hostPath + ": " + std::strerror(errno);
    return false;
}

long CRegKey::Open(const std::string& subKey, unsigned access)
{
    Close();
    const std::string hive = HivePath();
    if (!CHive::LoadFile(hive).HasKey(subKey)) return ERROR_FILE_NOT_FOUND;
    const bool writable = (access & kWriteRights) != 0;
    // The write replaces the file through a temporary one beside it, so its folder must take writes too.
    if (writable && (!IsWritable(hive) || !IsWritable(FolderOf(hive)))) return ERROR_ACCESS_DENIED;
    m_open = true;
    m_writable = writable;
    m_key = std::string(KeyName(subKey));
    return ERROR_SUCCESS;
}

long CRegKey::QueryStringValue(const std::string& name, std::string& value, std::size_t bufferSize) const
{
    if (!m_open) return ERROR_INVALID_HANDLE;
    const CHive hive = CHive::LoadFile(HivePath());
    if (!hive.HasKey(m_key)) return ERROR_FILE_NOT_FOUND;
    const std::optional<std::string> data = hive.Get(m_key, name);
    // A value of another type (dword:, hex:) is there but is no string.
    if (!data) return hive.HasValue(m_key, name) ? ERROR_INVALID_DATA : ERROR_FILE_NOT_FOUND;
    if (data->size() + 1 > bufferSize) return ERROR_MORE_DATA;
    value = *data;
    return ERROR_SUCCESS;
}

long CRegKey::SetStringValue(const std::string& name, const std::string& value)
{
    if (!m_open) return ERROR_INVALID_HANDLE;
    if (!m_writable) return ERROR_ACCESS_DENIED;
    if (!CanCarry(name) || !CanCarry(value)) return ERROR_INVALID_DATA;
    bool keyMissing = false;
    const bool written = UpdateHiveFile(HivePath(), [&](CHive& hive) {
        keyMissing = !hive.HasKey(m_key);
        return !keyMissing && hive.Set(m_key, name, value);
    });
    if (written) return ERROR_SUCCESS;
    return keyMissing ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED;
}

long CRegKey::Close()
{
    m_open = false;
    m_writable = false;
    m_key.clear();
    return ERROR_SUCCESS;
}

} // namespace platform

#include "FileFind.h"

#include "Machine.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <memory>
#include <ranges>
#include <string_view>

namespace platform {

namespace {

constexpr std::string_view kAnyExtension = ".*";

unsigned char Fold(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

// '*' and '?' against the whole name. A '*' that fails to go on moves its
// start one character on and nothing earlier is retried, so the work stays
// proportional to pattern length times name length.
bool MatchPlain(std::string_view pattern, std::string_view name)
{
    std::size_t p = 0, n = 0, star = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// Folded names, then bytes: a total order, so equal-looking names keep one
// place. Sorting calls this often: up to the first differing byte the names
// are equal, so the folded comparison starts there.
bool NameLess(const std::string& a, const std::string& b)
{
    std::size_t i = static_cast<std::size_t>(std::ranges::mismatch(a, b).in1 - a.begin());
    const std::size_t common = std::min(a.size(), b.size());
    int byteOrder = 0; // the first plain byte difference, the tie-breaker
    for (; i < common; ++i) {
        const unsigned char x = Fold(a[i]), y = Fold(b[i]);
        if (x != y) return x < y;
        if (byteOrder == 0 && a[i] != b[i])
            byteOrder = static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]) ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return byteOrder < 0;
}

// The first eight folded bytes as one number, zero-padded: numbers in
// order are names in NameLess order, unless they are equal.
std::uint64_t SortPrefix(const std::string& name)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < sizeof prefix; ++i)
        prefix = (prefix << 8) | (i < name.size() ? Fold(name[i]) : 0u);
    return prefix;
}

// Sorts by NameLess. A large folder's names are mostly told apart by their
// prefixes, compared here as numbers side by side in memory, so the sort
// rarely has to reach the names themselves.
void SortByName(std::vector<CFileFind::Entry>& entries)
{
    struct Slot {
        std::uint64_t prefix;
        std::size_t index;
    };
    std::vector<Slot> slots;
    slots.reserve(entries.size());
    for (std::size_t index = 0; index < entries.size(); ++index)
        slots.push_back({SortPrefix(entries[index].name), index});
    std::ranges::sort(slots, [&entries](const Slot& a, const Slot& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        return NameLess(entries[a.index].name, entries[b.index].name);
    });
    std::vector<CFileFind::Entry> sorted;
    sorted.reserve(entries.size());
    for (const Slot& slot : slots)
        sorted.push_back(std::move(entries[slot.index]));
    entries = std::move(sorted);
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

std::uint64_t RegularLength(const struct stat& info)
{
    return S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
}

// The kind comes from the folder's own record where the file system keeps it;
// only links (a link to a folder is a folder) and unknown kinds are looked up.
CFileFind::Entry DescribeEntry(DIR* dir, const dirent& record, std::string systemName)
{
    CFileFind::Entry entry{std::move(systemName), false, 0, true, record.d_name};
    if (record.d_type == DT_DIR) {
        entry.directory = true;
    } else if (record.d_type == DT_REG) {
        entry.lengthKnown = false;
    } else if (record.d_type == DT_LNK || record.d_type == DT_UNKNOWN) {
        struct stat info {};
        // stat, not lstat: a link to a folder is a folder; a dangling link stays a file.
        if (fstatat(dirfd(dir), record.d_name, &info, 0) != 0) return entry;
        entry.directory = S_ISDIR(info.st_mode);
        entry.length = RegularLength(info);
    }
    return entry;
}

bool IsDotsName(std::string_view name)
{
    return name == "." || name == "..";
}

// The folder's entries whose system names match, sorted; nullopt when it cannot be read.
std::optional<std::vector<CFileFind::Entry>> ListMatching(const std::string& hostFolder, const std::string& wildcard)
{
    const DirHandle dir(opendir(hostFolder.c_str()));
    if (!dir) return std::nullopt;
    std::vector<CFileFind::Entry> entries;
    for (;;) {
        errno = 0; // readdir's only way to tell an error from the end
        const dirent* record = readdir(dir.get());
        if (record == nullptr) break;
        const std::string_view hostName = record->d_name;
        // A backslash would split the name in a system path; the finder adds
        // its own dot entries where they belong.
        if (IsDotsName(hostName) || hostName.find('\\') != std::string_view::npos) continue;
        // A name the code page cannot hold is reported with '?' in place of
        // the missing characters; opening it later then simply fails.
        std::string name = FromUtf8(hostName);
        if (MatchesWildcard(wildcard, name)) entries.push_back(DescribeEntry(dir.get(), *record, std::move(name)));
    }
    if (errno != 0) return std::nullopt;
    SortByName(entries);
    return entries;
}

} // namespace

bool MatchesWildcard(const std::string& pattern, const std::string& name)
{
    if (MatchPlain(pattern, name)) return true;
    // As on Windows, a closing ".*" may also match the end of the name, so
    // "*.*" lists "README" and "Track.*" lists "Track".
    const std::string_view view(pattern);
    return view.ends_with(kAnyExtension) && MatchPlain(view.substr(0, view.size() - kAnyExtension.size()), name);
}

bool CFileFind::FindFile(const std::string& pattern)
{
    Close();
    const std::size_t slash = pattern.rfind('\\');
    if (slash == std::string::npos) return false;
    const std::string folder = pattern.substr(0, slash);
    const std::string wildcard = pattern.substr(slash + 1);
    const std::optional<std::string> host = HostPath(folder.empty() ? "\\" : folder);
    std::optional<std::vector<Entry>> files = host ? ListMatching(*host, wildcard) : std::nullopt;
    if (!files) return false;
    const bool hasDrive = folder.size() >= 2 && folder[1] == ':';
    if (host != HostPath(hasDrive ? folder.substr(0, 2) : "C:"))
        for (const char* dots : {".", ".."})
            if (MatchesWildcard(wildcard, dots)) m_entries.push_back({dots, true, 0, true, dots});
    std::ranges::move(*files, std::back_inserter(m_entries));
    m_folder = folder;
    m_hostFolder = *host;
    m_started = true;
    return !m_entries.empty();
}

bool CFileFind::FindNextFile()
{
    if (m_next >= m_entries.size()) return false;
    ++m_next;
    return m_next < m_entries.size();
}

void CFileFind::Close()
{
    m_folder.clear();
    m_hostFolder.clear();
    m_entries.clear();
    m_next = 0;
    m_started = false;
}

const CFileFind::Entry& CFileFind::Current() const
{
    static const Entry none;
    return m_next == 0 ? none : m_entries[m_next - 1];
}

std::string CFileFind::GetFileName() const
{
    return Current().name;
}

std::string CFileFind::GetFilePath() const
{
    return m_folder + "\\" + Current().name;
}

std::string CFileFind::GetRoot() const
{
    return m_folder;
}

bool CFileFind::IsDirectory() const
{
    return Current().directory;
}

bool CFileFind::IsDots() const
{
    const std::string& name = Current().name;
    return name == "." || name == "..";
}

std::uint64_t CFileFind::GetLength() const
{
    const Entry& entry = Current();
    if (entry.lengthKnown) return entry.length;
    const std::string separator = m_hostFolder.ends_with('/') ? "" : "/";
    const std::string path = m_hostFolder + separator + entry.hostName;
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? RegularLength(info) : 0;
}

} // namespace platform

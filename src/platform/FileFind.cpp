#include "FileFind.h"

#include "CaseFold.h"
#include "DirHandle.h"
#include "Machine.h"
#include "SystemPathName.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <cerrno>
#include <iterator>
#include <memory>
#include <ranges>
#include <string_view>

namespace platform {

namespace {

constexpr std::string_view kAnyExtension = ".*";

// '*' and '?' against the whole name, '?' taking one character. A '*' that
// fails to go on moves its start one character on and nothing earlier is
// retried, so the work stays proportional to pattern length times name length.
// same compares one pattern character with one name character.
template <typename Char, typename Same>
bool MatchPlain(std::basic_string_view<Char> pattern, std::basic_string_view<Char> name, Same same)
{
    constexpr std::size_t none = std::basic_string_view<Char>::npos;
    std::size_t p = 0, n = 0, star = none, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (star != none) {
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

char AsciiFold(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// ASCII without letters and without '?' ("*.*", "*"): no character folds to
// one of its characters, and UTF-8 hides no ASCII byte inside another
// character, so the name's bytes match as its characters would.
bool MatchesAsBytes(std::string_view pattern)
{
    return IsAscii(pattern) &&
           std::ranges::none_of(pattern, [](char c) { return c == '?' || IsAsciiLetter(c); });
}

// An ASCII pattern against an ASCII name (nearly every case) is matched in
// place, as is any name against a pattern MatchesAsBytes takes; otherwise
// folded characters are compared, so that '?' takes one.
bool MatchFolded(std::string_view pattern, std::string_view name)
{
    if (IsAscii(pattern) && IsAscii(name))
        return MatchPlain(pattern, name, [](char a, char b) { return AsciiFold(a) == AsciiFold(b); });
    if (MatchesAsBytes(pattern)) return MatchPlain(pattern, name, std::equal_to<>());
    const std::u32string foldedPattern = FoldedCodePoints(pattern), foldedName = FoldedCodePoints(name);
    return MatchPlain(std::u32string_view(foldedPattern), std::u32string_view(foldedName), std::equal_to<>());
}

// A name and its fold, the key of the finder's order.
struct SortName {
    std::string folded;
    std::uint64_t prefix; // the first eight bytes of folded, zero-padded
};

// Folded names, then bytes: a total order, so names that fold alike keep one place.
bool NameLess(const SortName& a, const std::string& aName, const SortName& b, const std::string& bName)
{
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    if (const int order = a.folded.compare(b.folded); order != 0) return order < 0;
    return aName < bName;
}

// Numbers in order are folded names in order, unless they are equal.
std::uint64_t SortPrefix(std::string_view folded)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < sizeof prefix; ++i)
        prefix = (prefix << 8) | (i < folded.size() ? static_cast<unsigned char>(folded[i]) : 0u);
    return prefix;
}

// Sorts by NameLess. Each name is folded once; a large folder's names are
// mostly told apart by their prefixes, compared as numbers side by side in
// memory, so the sort rarely has to reach the names themselves.
void SortByName(std::vector<CFileFind::Entry>& entries)
{
    std::vector<SortName> keys;
    keys.reserve(entries.size());
    for (const CFileFind::Entry& entry : entries) {
        std::string folded = FoldCase(entry.name);
        const std::uint64_t prefix = SortPrefix(folded);
        keys.push_back({std::move(folded), prefix});
    }
    std::vector<std::size_t> order(entries.size());
    for (std::size_t index = 0; index < order.size(); ++index)
        order[index] = index;
    std::ranges::sort(order, [&](std::size_t a, std::size_t b) {
        return NameLess(keys[a], entries[a].name, keys[b], entries[b].name);
    });
    std::vector<CFileFind::Entry> sorted;
    sorted.reserve(entries.size());
    for (const std::size_t index : order)
        sorted.push_back(std::move(entries[index]));
    entries = std::move(sorted);
}


std::uint64_t RegularLength(const struct stat& info)
{
    return S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
}

// The kind comes from the folder's own record where the file system keeps it;
// only links (a link to a folder is a folder) and unknown kinds are looked up.
CFileFind::Entry DescribeEntry(DIR* dir, const dirent& record, std::string systemName)
{
    CFileFind::Entry entry{std::move(systemName), false, 0, true};
    if (record.d_type == DT_DIR) {
        entry.directory = true;
    } else if (record.d_type == DT_REG) {
        entry.lengthKnown = false;
    } else if (record.d_type == DT_LNK || record.d_type == DT_UNKNOWN) {
        struct stat info {};
        entry.link = record.d_type == DT_LNK ||
                     (fstatat(dirfd(dir), record.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode));
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

// The folder's entries whose names match, sorted, and apart from them those
// a system path cannot carry; nullopt when it cannot be read.
std::optional<std::vector<CFileFind::Entry>> ListMatching(const std::string& hostFolder, const std::string& wildcard,
                                                          std::vector<CFileFind::Entry>& uncarried)
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
        if (IsDotsName(hostName)) continue;
        // The name's own bytes, so that the entry addresses exactly this file.
        std::string name(hostName);
        if (!MatchesWildcard(wildcard, name)) continue;
        auto& into = hostName.find('\\') == std::string_view::npos ? entries : uncarried;
        into.push_back(DescribeEntry(dir.get(), *record, std::move(name)));
    }
    if (errno != 0) return std::nullopt;
    SortByName(entries);
    return entries;
}

} // namespace

bool MatchesWildcard(const std::string& pattern, const std::string& name)
{
    if (MatchFolded(pattern, name)) return true;
    // As on Windows, a closing ".*" may also match the end of the name, so
    // "*.*" lists "README" and "Track.*" lists "Track".
    const std::string_view view(pattern);
    return view.ends_with(kAnyExtension) && MatchFolded(view.substr(0, view.size() - kAnyExtension.size()), name);
}

bool CFileFind::FindFile(const std::string& pattern)
{
    Close();
    const std::size_t slash = pattern.rfind('\\');
    if (slash == std::string::npos) return false;
    const std::string folder = pattern.substr(0, slash);
    const std::string wildcard = pattern.substr(slash + 1);
    const std::optional<std::string> host = HostPath(folder.empty() ? "\\" : folder);
    std::optional<std::vector<Entry>> files = host ? ListMatching(*host, wildcard, m_uncarried) : std::nullopt;
    if (!files) return false;
    const bool hasDrive = folder.size() >= 2 && folder[1] == ':';
    if (host != HostPath(hasDrive ? folder.substr(0, 2) : "C:"))
        for (const char* dots : {".", ".."})
            if (MatchesWildcard(wildcard, dots)) m_entries.push_back({dots, true, 0, true});
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
    m_uncarried.clear();
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
    return JoinSystemPath(m_folder, Current().name);
}

std::string CFileFind::GetRoot() const
{
    return m_folder;
}

bool CFileFind::IsDirectory() const
{
    return Current().directory;
}

bool CFileFind::IsLink() const
{
    return Current().link;
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
    const std::string path = m_hostFolder + separator + entry.name;
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? RegularLength(info) : 0;
}

} // namespace platform

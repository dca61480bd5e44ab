#include "FileFind.h"

#include "CaseFold.h"
#include "DirHandle.h"
#include "Machine.h"
#include "SystemPathName.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <functional>
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
    // A star and a literal ("*.mp3", the usual case) compares the name's end at once.
    const auto isWild = [](Char c) { return c == '*' || c == '?'; };
    if (!pattern.empty() && pattern.front() == '*' && std::ranges::none_of(pattern.substr(1), isWild)) {
        const std::basic_string_view<Char> end = pattern.substr(1);
        return name.size() >= end.size() && std::equal(end.begin(), end.end(), name.end() - end.size(), same);
    }
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

bool IsWellFormedUtf8(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

// A wildcard folded once, matched against many names' folds. For a pattern
// of well-formed UTF-8 without '?' the folds' bytes are compared: each of
// its literals starts on a lead byte and so can only match where a character
// starts. A '?' takes one character, and a stray byte in the pattern is a
// character of its own, so then the code points are compared.
class CFoldedWildcard {
public:
    explicit CFoldedWildcard(std::string_view pattern)
        : m_pattern(FoldCase(pattern)), m_points(FoldedCodePoints(pattern)),
          m_byCharacter(pattern.find('?') != std::string_view::npos || !IsWellFormedUtf8(pattern)),
          m_anyExtension(pattern.ends_with(kAnyExtension))
    {
    }

    // name and FoldCase(name).
    bool Matches(std::string_view name, std::string_view folded) const
    {
        if (!m_byCharacter) return MatchesAny(std::string_view(m_pattern), folded);
        return MatchesAny(std::u32string_view(m_points), std::u32string_view(FoldedCodePoints(name)));
    }

private:
    // As on Windows, a closing ".*" may also match the end of the name, so
    // "*.*" lists "README" and "Track.*" lists "Track".
    template <typename Char>
    bool MatchesAny(std::basic_string_view<Char> pattern, std::basic_string_view<Char> name) const
    {
        if (MatchPlain(pattern, name, std::equal_to<>())) return true;
        return m_anyExtension &&
               MatchPlain(pattern.substr(0, pattern.size() - kAnyExtension.size()), name, std::equal_to<>());
    }

    std::string m_pattern;
    std::u32string m_points;
    bool m_byCharacter;
    bool m_anyExtension;
};

// The key of an entry in the finder's order: the first eight bytes of its
// name's fold, zero-padded, as a number, and the entry.
struct SortName {
    std::uint64_t prefix;
    std::size_t entry;
};

// The listing's folds, one text for all (not a string each), in the order of
// the entries: entry i's fold runs from starts[i] to starts[i + 1].
struct Folds {
    std::string text;
    std::vector<std::size_t> starts{0};

    std::string_view Of(std::size_t entry) const
    {
        return std::string_view(text).substr(starts[entry], starts[entry + 1] - starts[entry]);
    }
};

// Numbers in order are folded names in order, unless they are equal.
std::uint64_t SortPrefix(std::string_view folded)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < sizeof prefix; ++i)
        prefix = (prefix << 8) | (i < folded.size() ? static_cast<unsigned char>(folded[i]) : 0u);
    return prefix;
}

// Sorts the entries by their folded names, then by their bytes: a total
// order, so names that fold alike keep one place. A large folder's names are
// mostly told apart by their prefixes, compared as numbers side by side in
// memory, so the sort rarely has to reach the names themselves.
void SortByName(std::vector<CFileFind::Entry>& entries, std::vector<SortName>& keys, const Folds& folds)
{
    std::ranges::sort(keys, [&](const SortName& a, const SortName& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        if (const int order = folds.Of(a.entry).compare(folds.Of(b.entry)); order != 0) return order < 0;
        return entries[a.entry].name < entries[b.entry].name;
    });
    std::vector<CFileFind::Entry> sorted;
    sorted.reserve(entries.size());
    for (const SortName& key : keys)
        sorted.push_back(std::move(entries[key.entry]));
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
    const CFoldedWildcard matcher(wildcard);
    std::vector<CFileFind::Entry> entries;
    std::vector<SortName> keys;
    Folds folds;
    for (;;) {
        errno = 0; // readdir's only way to tell an error from the end
        const dirent* record = readdir(dir.get());
        if (record == nullptr) break;
        const std::string_view hostName = record->d_name;
        // A backslash would split the name in a system path; the finder adds
        // its own dot entries where they belong.
        if (IsDotsName(hostName)) continue;
        // The name's own bytes, so that the entry addresses exactly this file.
        // Folded once, for the match and the order.
        const std::size_t start = folds.text.size();
        AppendFolded(folds.text, hostName);
        const std::string_view folded = std::string_view(folds.text).substr(start);
        if (!matcher.Matches(hostName, folded)) {
            folds.text.resize(start);
            continue;
        }
        if (hostName.find('\\') != std::string_view::npos) {
            folds.text.resize(start);
            uncarried.push_back(DescribeEntry(dir.get(), *record, std::string(hostName)));
            continue;
        }
        keys.push_back({SortPrefix(folded), entries.size()});
        folds.starts.push_back(folds.text.size());
        entries.push_back(DescribeEntry(dir.get(), *record, std::string(hostName)));
    }
    if (errno != 0) return std::nullopt;
    SortByName(entries, keys, folds);
    return entries;
}

} // namespace

bool MatchesWildcard(const std::string& pattern, const std::string& name)
{
    return CFoldedWildcard(pattern).Matches(name, FoldCase(name));
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
    m_entries.reserve(files->size() + 2);
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

std::string CFileFind::TakeFileName()
{
    return m_next == 0 ? std::string() : std::move(m_entries[m_next - 1].name);
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

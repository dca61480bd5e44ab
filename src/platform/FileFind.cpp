#include "FileFind.h"

#include "Machine.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <ranges>
#include <string_view>

namespace fs = std::filesystem;

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

// Folded names, then bytes: a total order, so equal-looking names keep one place.
bool NameLess(const std::string& a, const std::string& b)
{
    const auto folded = [](const std::string& s) { return s | std::views::transform(Fold); };
    if (std::ranges::lexicographical_compare(folded(a), folded(b))) return true;
    if (std::ranges::lexicographical_compare(folded(b), folded(a))) return false;
    return std::ranges::lexicographical_compare(a, b, {}, [](char c) { return static_cast<unsigned char>(c); });
}

CFileFind::Entry DescribeEntry(const fs::path& hostPath, std::string systemName)
{
    CFileFind::Entry entry{std::move(systemName)};
    struct stat info {};
    // stat, not lstat: a link to a folder is a folder; a dangling link stays a file.
    if (stat(hostPath.c_str(), &info) != 0) return entry;
    entry.directory = S_ISDIR(info.st_mode);
    if (S_ISREG(info.st_mode)) entry.length = static_cast<std::uint64_t>(info.st_size);
    return entry;
}

// The folder's entries whose system names match, sorted; nullopt when it cannot be read.
std::optional<std::vector<CFileFind::Entry>> ListMatching(const std::string& hostFolder, const std::string& wildcard)
{
    std::error_code ec;
    fs::directory_iterator it(hostFolder, ec);
    std::vector<CFileFind::Entry> entries;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string hostName = it->path().filename().string();
        // A backslash would split the name in a system path.
        if (hostName.find('\\') != std::string::npos) continue;
        // A name the code page cannot hold is reported with '?' in place of
        // the missing characters; opening it later then simply fails.
        std::string name = FromUtf8(hostName);
        if (MatchesWildcard(wildcard, name)) entries.push_back(DescribeEntry(it->path(), std::move(name)));
    }
    if (ec) return std::nullopt;
    std::ranges::sort(entries, NameLess, &CFileFind::Entry::name);
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
            if (MatchesWildcard(wildcard, dots)) m_entries.push_back({dots, true, 0});
    std::ranges::move(*files, std::back_inserter(m_entries));
    m_folder = folder;
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
    return Current().length;
}

} // namespace platform

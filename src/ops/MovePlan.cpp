#include "MovePlan.h"

#include "platform/CaseFold.h"
#include "platform/FileFind.h"
#include "platform/FileOps.h"

#include <cerrno>

namespace {

struct FolderAndName {
    std::string folder, name;
};

FolderAndName Split(const std::string& path)
{
    const std::size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return {{}, path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

// One key for all the names that are one name to the system's
// case-insensitive file systems.
std::string FoldedPath(const std::string& path)
{
    const FolderAndName parts = Split(path);
    return parts.folder + '\\' + platform::FoldCase(parts.name);
}

} // namespace

std::optional<std::string> CMovePlan::Source(const std::string& path) const
{
    if (const auto placed = m_placed.find(path); placed != m_placed.end()) return placed->second;
    if (m_freed.count(path) != 0) return std::nullopt;
    return path;
}

int CMovePlan::Plan(const std::string& from, const std::string& to)
{
    const std::optional<std::string> source = Source(from);
    if (!source) return ENOENT; // moved away earlier in the batch
    const int error = Check(from, *source, to);
    if (error != 0) return error;
    if (m_placed.erase(from) != 0) m_byFold.erase(FoldedPath(from));
    m_freed.insert(*source);
    m_placed[to] = *source;
    m_byFold[FoldedPath(to)] = to;
    return 0;
}

int CMovePlan::Check(const std::string& from, const std::string& source, const std::string& to) const
{
    if (from == to) return 0;
    int error = platform::MoveCheck(source, to);
    // The disk may still hold a name that a move planned before set free.
    if (error == EEXIST && !TakenOnDisk(source, to)) error = 0;
    if (error == 0 && TakenByPlan(from, to)) error = EEXIST;
    return error;
}

bool CMovePlan::TakenOnDisk(const std::string& source, const std::string& to) const
{
    // The finder matches a pattern without wildcards (MoveCheck has refused
    // * and ?) by the case fold, so it lists exactly the entries alike.
    platform::CFileFind finder;
    bool more = finder.FindFile(to);
    while (more) {
        more = finder.FindNextFile();
        const std::string path = finder.GetFilePath();
        if (path != source && m_freed.count(path) == 0) return true;
    }
    return false;
}

bool CMovePlan::TakenByPlan(const std::string& from, const std::string& to) const
{
    // A lookup, not a scan: a dry run over a folder of many files stays linear.
    const auto planned = m_byFold.find(FoldedPath(to));
    return planned != m_byFold.end() && planned->second != from;
}

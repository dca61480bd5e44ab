// The moves of a dry run: each is checked as the real move would be, against
// the disk and against the moves planned before it in the same batch.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>

class CMovePlan {
public:
    // The system path on disk of the file the plan has at path: path itself,
    // or where the file lies that the plan moved to path; nullopt when the
    // plan moved the file at path away.
    std::optional<std::string> Source(const std::string& path) const;
    // 0 when MoveFileA(from, to) would go ahead after the moves planned so
    // far, else the errno value it would fail with (see MoveCheck). A move
    // that would go ahead is recorded: to is taken, from is free.
    int Plan(const std::string& from, const std::string& to);

private:
    int Check(const std::string& from, const std::string& source, const std::string& to) const;
    // Another entry of to's folder on disk has to's name when case is
    // ignored, one the plan has not moved away.
    bool TakenOnDisk(const std::string& source, const std::string& to) const;
    // A move planned before took to's name when case is ignored.
    bool TakenByPlan(const std::string& from, const std::string& to) const;

    std::map<std::string, std::string> m_placed;   // planned path -> the file's path on disk
    std::map<std::string, std::string> m_byFold;   // folder and folded name of a planned path -> that path
    std::set<std::string> m_freed;                 // paths on disk whose file the plan moved away
};

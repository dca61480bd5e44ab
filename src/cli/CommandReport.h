// What a changing command did: its count, the files changed and the files
// that failed; printed as text or as one JSON document, and the exit status.
#pragma once

#include "ops/FileOutcome.h"

#include <string>
#include <string_view>
#include <vector>

class CCommandReport {
public:
    // renames: each change has a new path, printed as "OLD -> NEW" in text mode.
    // dryRun: the changes are those a real run would make; the notes say so.
    CCommandReport(bool json, bool renames, bool dryRun = false);

    void Changed(const std::string& systemPath, const std::string& newSystemPath = {});
    // A file that already held what the command would write: not written.
    void Unchanged(const std::string& systemPath);
    // Named on stderr at once, so a long run shows trouble as it happens.
    void Failed(const std::string& systemPath, const std::string& reason);
    // A command-line argument that names no file of any drive.
    void FailedArgument(const std::string& argument, const std::string& reason);
    // Changed or Failed by the outcome; a changed file's notes go to Noted.
    void Add(const FileOutcome& outcome);
    // What to tell about a file a tag command changed; Finish says it once per run.
    void Noted(const std::string& systemPath, bool trackOverwritten, bool hasId3v2);
    void SetCount(int count) { m_count = count; }
    int Count() const { return m_count; }
    std::size_t ChangedCount() const { return m_changedCount; }
    std::size_t UnchangedCount() const { return m_unchanged.size(); }

    // Prints the JSON document, or the text line when not empty; returns the exit status.
    int Finish(std::string_view textLine);

private:
    void WriteNotes() const;

    // Files with one kind of note: how many, and the first as an example.
    struct NoteCount {
        std::size_t count = 0;
        std::string firstPath; // system path
        void Add(const std::string& systemPath)
        {
            if (count++ == 0) firstPath = systemPath;
        }
    };
    struct Entry {
        std::string path;    // host path (its bytes)
        std::string newPath; // renames only
    };
    bool m_json;
    bool m_renames;
    bool m_dryRun;
    int m_count = 0;
    std::size_t m_changedCount = 0;
    std::vector<Entry> m_changed; // kept for the JSON document only
    std::vector<Entry> m_unchanged;
    std::vector<Entry> m_failed; // newPath holds the reason
    NoteCount m_trackOverwritten;
    NoteCount m_hasId3v2;
};

#include "CommandReport.h"

#include "CliOutput.h"
#include "CliPaths.h"
#include "JsonWriter.h"

#include <cstring>

namespace {
// The core's short reason with the system's words for the errno value. A
// move the core has no word of its own for gives the system's words as its
// reason: said once, after what failed.
std::string ReasonText(const FileOutcome& outcome, bool renames)
{
    if (outcome.error == 0) return outcome.reason.empty() ? ErrorText(0) : outcome.reason;
    const std::string system = ErrorText(outcome.error);
    if (outcome.reason.empty() || outcome.reason == std::strerror(outcome.error))
        return std::string(renames ? "cannot rename" : "failed") + ": " + system;
    return outcome.reason + ": " + system;
}

std::string FilesText(std::size_t count)
{
    return Counted(count, "file", "files");
}
} // namespace

CCommandReport::CCommandReport(bool json, bool renames, bool dryRun)
    : m_json(json), m_renames(renames), m_dryRun(dryRun)
{
}

void CCommandReport::Changed(const std::string& systemPath, const std::string& newSystemPath)
{
    ++m_changedCount;
    // Text mode names only renames; a multitag of many files converts no paths it will not print.
    if (!m_json && !m_renames) return;
    Entry entry{PrintablePath(systemPath), m_renames ? PrintablePath(newSystemPath) : std::string()};
    if (m_renames && !m_json) WriteOut(TerminalText(entry.path) + " -> " + TerminalText(entry.newPath) + "\n");
    m_changed.push_back(std::move(entry));
}

void CCommandReport::Unchanged(const std::string& systemPath)
{
    m_unchanged.push_back(Entry{PrintablePath(systemPath), {}});
}

void CCommandReport::Failed(const std::string& systemPath, const std::string& reason)
{
    Entry entry{PrintablePath(systemPath), reason};
    WriteError(entry.path + ": " + reason);
    m_failed.push_back(std::move(entry));
}

void CCommandReport::FailedArgument(const std::string& argument, const std::string& reason)
{
    WriteError(argument + ": " + reason);
    m_failed.push_back(Entry{argument, reason});
}

void CCommandReport::Add(const FileOutcome& outcome)
{
    if (!outcome.ok)
        Failed(outcome.path, ReasonText(outcome, m_renames));
    else if (!m_renames || outcome.newPath != outcome.path)
        Changed(outcome.path, outcome.newPath);
    if (outcome.ok) Noted(outcome.path, outcome.trackOverwritten, outcome.hasId3v2);
}

void CCommandReport::Noted(const std::string& systemPath, bool trackOverwritten, bool hasId3v2)
{
    if (trackOverwritten) m_trackOverwritten.Add(systemPath);
    if (hasId3v2) m_hasId3v2.Add(systemPath);
}

void CCommandReport::WriteNotes() const
{
    if (m_trackOverwritten.count > 0)
        WriteError(std::string("note: a comment of 29 or 30 bytes ") + (m_dryRun ? "would replace" : "replaced") +
                   " the track number in " +
                   FilesText(m_trackOverwritten.count) + " (first: " + PrintablePath(m_trackOverwritten.firstPath) +
                   "); a comment of up to 28 bytes keeps it");
    if (m_hasId3v2.count > 0)
        WriteError("note: " + FilesText(m_hasId3v2.count) + (m_dryRun ? " that would change" : " changed") +
                   " also start with an ID3v2 tag (first: " +
                   PrintablePath(m_hasId3v2.firstPath) + "); players may show its values instead");
}

int CCommandReport::Finish(std::string_view textLine)
{
    WriteNotes();
    if (m_json) {
        CJsonWriter json;
        json.BeginObject();
        json.Member("count", m_count);
        json.Key("changed");
        json.BeginArray();
        for (const Entry& entry : m_changed) {
            json.BeginObject();
            json.PathMember("path", entry.path);
            if (m_renames) json.PathMember("new_path", entry.newPath);
            json.EndObject();
        }
        json.EndArray();
        json.Key("unchanged");
        json.BeginArray();
        for (const Entry& entry : m_unchanged) {
            json.BeginObject();
            json.PathMember("path", entry.path);
            json.EndObject();
        }
        json.EndArray();
        json.Key("failed");
        json.BeginArray();
        for (const Entry& entry : m_failed) {
            json.BeginObject();
            json.PathMember("path", entry.path);
            json.Member("reason", entry.newPath);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        json.Text() += '\n';
        WriteOut(json.Text());
    } else if (!textLine.empty()) {
        WriteOut(std::string(textLine) + "\n");
    }
    return m_failed.empty() ? 0 : 1;
}

#include "CommandReport.h"

#include "CliOutput.h"
#include "CliPaths.h"
#include "JsonWriter.h"

namespace {
// The core's short reason with the system's words for the errno value.
std::string ReasonText(const FileOutcome& outcome)
{
    if (outcome.reason.empty()) return ErrorText(outcome.error);
    if (outcome.error == 0) return outcome.reason;
    return outcome.reason + ": " + ErrorText(outcome.error);
}
} // namespace

CCommandReport::CCommandReport(bool json, bool renames) : m_json(json), m_renames(renames)
{
}

void CCommandReport::Changed(const std::string& systemPath, const std::string& newSystemPath)
{
    ++m_changedCount;
    // Text mode names only renames; a multitag of many files converts no paths it will not print.
    if (!m_json && !m_renames) return;
    Entry entry{PrintablePath(systemPath), m_renames ? PrintablePath(newSystemPath) : std::string()};
    if (m_renames && !m_json) WriteOut(entry.path + " -> " + entry.newPath + "\n");
    m_changed.push_back(std::move(entry));
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
        Failed(outcome.path, ReasonText(outcome));
    else if (!m_renames || outcome.newPath != outcome.path)
        Changed(outcome.path, outcome.newPath);
}

int CCommandReport::Finish(std::string_view textLine)
{
    if (m_json) {
        CJsonWriter json;
        json.BeginObject();
        json.Member("count", m_count);
        json.Key("changed");
        json.BeginArray();
        for (const Entry& entry : m_changed) {
            json.BeginObject();
            json.Member("path", entry.path);
            if (m_renames) json.Member("new_path", entry.newPath);
            json.EndObject();
        }
        json.EndArray();
        json.Key("failed");
        json.BeginArray();
        for (const Entry& entry : m_failed) {
            json.BeginObject();
            json.Member("path", entry.path);
            json.Member("reason", entry.newPath);
            json.EndObject();
        }
        json.EndArray();
        json.EndObject();
        json.Text() += '\n';
        WriteOut(json.Text());
    } else if (!textLine.empty()) {
        WriteOut(textLine);
        WriteOut("\n");
    }
    return m_failed.empty() ? 0 : 1;
}

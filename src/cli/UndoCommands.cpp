// history and undo: the journal of changes, and taking one back.
#include "CliJournal.h"
#include "CliOutput.h"
#include "CliUsage.h"
#include "Commands.h"
#include "JsonWriter.h"
#include "journal/Undo.h"
#include "platform/PathText.h"

#include <charconv>

namespace {

std::string StateOf(const journal::EntryInfo& info, bool inEffect)
{
    if (info.running) return "running";
    if (!inEffect) return "undone";
    return info.finished ? "done" : "interrupted";
}

std::string HistoryJson(const std::vector<journal::EntryInfo>& entries, const std::vector<bool>& inEffect)
{
    CJsonWriter json;
    json.BeginObject();
    json.Key("entries");
    json.BeginArray();
    for (std::size_t i = entries.size(); i-- > 0;) {
        const journal::EntryInfo& info = entries[i];
        json.BeginObject();
        json.Member("id", info.id);
        json.Member("time", info.time);
        json.Member("program", info.header.program);
        json.Member("command", info.header.command);
        json.PathMember("folder", info.header.folder);
        json.MemberOrNull("undoes", info.header.undoes);
        json.Member("files", std::uint64_t{info.records});
        json.Member("state", StateOf(info, inEffect[i]));
        json.EndObject();
    }
    json.EndArray();
    json.Member("count", static_cast<int>(entries.size()));
    json.EndObject();
    return json.Text() + "\n";
}

std::string HistoryText(const std::vector<journal::EntryInfo>& entries, const std::vector<bool>& inEffect)
{
    std::string text;
    for (std::size_t i = entries.size(); i-- > 0;) {
        const journal::EntryInfo& info = entries[i];
        std::string command = info.header.command;
        if (info.header.undoes) command.append(" ").append(std::to_string(*info.header.undoes));
        text += std::to_string(info.id) + "\t" + info.time + "\t" + TerminalText(info.header.program) + "\t" +
                TerminalText(command) + "\t" + Counted(info.records, "file", "files") + "\t" +
                StateOf(info, inEffect[i]) + "\t" + TerminalText(platform::DisplayText(info.header.folder)) + "\n";
    }
    return text.empty() ? "The journal holds no operation.\n" : text;
}

std::optional<std::uint64_t> ParseId(const std::string& text)
{
    std::uint64_t id = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return id;
}

const char* StepName(journal::UndoStep step)
{
    switch (step) {
    case journal::UndoStep::Restored: return "restored";
    case journal::UndoStep::Unchanged: return "unchanged";
    case journal::UndoStep::Skipped: return "skipped";
    }
    return "";
}

std::string ReportJson(const journal::UndoReport& report, bool dryRun)
{
    CJsonWriter json;
    json.BeginObject();
    json.Member("undone", report.undone);
    json.MemberOrNull("entry", report.entry ? std::optional<std::uint64_t>(report.entry) : std::nullopt);
    json.Member("dry_run", dryRun);
    json.Key("files");
    json.BeginArray();
    for (const journal::UndoFile& file : report.files) {
        json.BeginObject();
        json.PathMember("path", file.path);
        json.Member("state", StepName(file.step));
        if (file.reason != journal::SkipReason::None) json.Member("reason", journal::SkipReasonText(file));
        json.EndObject();
    }
    json.EndArray();
    json.Member("restored", std::uint64_t{report.Count(journal::UndoStep::Restored)});
    json.Member("skipped", std::uint64_t{report.Count(journal::UndoStep::Skipped)});
    json.EndObject();
    return json.Text() + "\n";
}

std::string ReportText(const journal::UndoReport& report, const journal::EntryInfo& info, bool dryRun)
{
    std::string text;
    for (const journal::UndoFile& file : report.files)
        if (file.step != journal::UndoStep::Unchanged) {
            text.append(StepName(file.step)).append("\t").append(TerminalText(platform::DisplayText(file.path)));
            if (file.reason != journal::SkipReason::None) text.append("\t").append(journal::SkipReasonText(file));
            text += '\n';
        }
    text += (dryRun ? "would undo " : "undid ") + std::to_string(info.id) + " (" + TerminalText(info.header.command) +
            "): " + Counted(report.Count(journal::UndoStep::Restored), "file restored", "files restored");
    if (const std::size_t skipped = report.Count(journal::UndoStep::Skipped)) text += ", " + std::to_string(skipped) + " skipped";
    return text + (dryRun ? " (dry run: nothing changed)\n" : "\n");
}

// The entry to take back: the operand's, else the newest still in effect.
std::optional<std::uint64_t> ChosenEntry(const CliOptions& options, const std::vector<journal::EntryInfo>& entries)
{
    if (options.operands.empty()) {
        const auto newest = journal::NewestUndoable(entries);
        if (!newest) WriteError("undo: nothing to undo");
        return newest;
    }
    const auto id = ParseId(options.operands.front());
    if (!id) {
        UsageError("undo: '" + options.operands.front() + "' is no operation number (see 'sonadex-cli history')");
        return std::nullopt;
    }
    if (const std::string why = journal::WhyNotUndoable(entries, *id); !why.empty()) {
        WriteError("undo: " + why);
        return std::nullopt;
    }
    return id;
}

} // namespace

int RunHistory(const CliOptions& options)
{
    const std::vector<journal::EntryInfo> entries = CliJournalStore().List();
    const std::vector<bool> inEffect = journal::EntriesInEffect(entries);
    WriteOut(options.json ? HistoryJson(entries, inEffect) : HistoryText(entries, inEffect));
    return 0;
}

int RunUndo(const CliOptions& options)
{
    const journal::CJournalStore store = CliJournalStore();
    const std::vector<journal::EntryInfo> entries = store.List();
    const std::optional<std::uint64_t> id = ChosenEntry(options, entries);
    if (!id) return options.operands.empty() || ParseId(options.operands.front()) ? 1 : 2;
    const std::optional<journal::Entry> entry = store.Read(*id);
    if (!entry) {
        WriteError("undo: operation " + std::to_string(*id) + " cannot be read");
        return 1;
    }
    const journal::UndoReport report = journal::UndoEntry(store, *entry, "sonadex-cli", options.dryRun);
    WriteOut(options.json ? ReportJson(report, options.dryRun) : ReportText(report, entry->info, options.dryRun));
    return report.Count(journal::UndoStep::Skipped) > 0 ? 1 : 0;
}

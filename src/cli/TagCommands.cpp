// set, strip and multitag: the commands that write tags.
#include "CliOutput.h"
#include "CliPaths.h"
#include "CliUsage.h"
#include "CommandReport.h"
#include "Commands.h"
#include "FolderTree.h"
#include "ProgressLine.h"
#include "ops/TagChange.h"
#include "ops/TagFolder.h"
#include "platform/Machine.h"
#include "tag/GenreTable.h"
#include "tag/Id3v1Tag.h"

namespace {

// main has refused text that the code page cannot hold (TextOptions.h).
std::optional<std::string> FromUtf8Option(const std::optional<std::string>& utf8)
{
    if (!utf8) return std::nullopt;
    return platform::FromUtf8(*utf8);
}

TagFields FieldsOf(const CliOptions& options)
{
    TagFields fields;
    for (Field field : kFields)
        fields[field] = FromUtf8Option(options.FieldText(field));
    if (options.track) fields.track = TrackNumber(*options.track);
    return fields;
}

// A misspelt genre would silently become "no genre"; only the exact names
// and "" (no genre, on purpose) are taken.
bool IsKnownGenre(const std::optional<std::string>& genre)
{
    return !genre || genre->empty() || GenreNumber(*genre).has_value();
}

// Opens, changes and saves one file; each failure is reported and the walk goes on.
void ChangeFile(const std::string& argument, CCommandReport& report, const TagEdit& change, bool dryRun)
{
    const auto systemPath = SystemPathOfArgument(argument);
    if (!systemPath) {
        report.FailedArgument(argument, "not on any drive");
        return;
    }
    const TagChangeResult result = ChangeTag(*systemPath, change, dryRun);
    // A file without a tag that keeps none had nothing written: nothing to report.
    if (result.outcome.ok && !result.written) return;
    report.Add(result.outcome);
}

// The summary line's end: a dry run says so.
std::string SummaryTail(const CliOptions& options)
{
    return options.dryRun ? " (dry run: nothing written)" : "";
}

int RunOnFiles(const CliOptions& options, const char* doneWord, const TagEdit& change)
{
    CCommandReport report(options.json, false, options.dryRun);
    for (const std::string& argument : options.operands)
        ChangeFile(argument, report, change, options.dryRun);
    report.SetCount(static_cast<int>(report.ChangedCount()));
    return report.Finish(std::to_string(report.Count()) + " " + doneWord + SummaryTail(options));
}

} // namespace

int RunSet(const CliOptions& options)
{
    const TagFields fields = FieldsOf(options);
    if (!IsKnownGenre(fields[Field::Genre]))
        return UsageError("unknown genre '" + *options.FieldText(Field::Genre) + "'");
    return RunOnFiles(options, "files changed", [&](CId3v1Tag& tag) { return fields.ApplyTo(tag); });
}

int RunStrip(const CliOptions& options)
{
    return RunOnFiles(options, "tags removed", [](CId3v1Tag& tag) {
        tag.RemoveTag();
        return false;
    });
}

int RunMultiTag(const CliOptions& options)
{
    const TagFields fields = FieldsOf(options);
    if (!IsKnownGenre(fields[Field::Genre]))
        return UsageError("unknown genre '" + *options.FieldText(Field::Genre) + "'");
    const auto folder = FolderArgument(options.operands.front());
    if (!folder) return 1;
    CCommandReport report(options.json, false, options.dryRun);
    CProgressLine progress("multitag");
    const int count = TagFolder(
        *folder, fields, options.recurse,
        [&](const FileOutcome& outcome) {
            report.Add(outcome);
            progress.Step();
        },
        options.Jobs(), options.followLinks, options.dryRun);
    report.SetCount(count);
    return report.Finish(std::to_string(count) + " files processed" + SummaryTail(options));
}

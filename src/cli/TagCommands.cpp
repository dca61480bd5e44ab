// set, strip and multitag: the commands that write tags.
#include "CliOutput.h"
#include "CliPaths.h"
#include "CliUsage.h"
#include "CommandReport.h"
#include "Commands.h"
#include "FolderTree.h"
#include "ProgressLine.h"
#include "ops/TagFolder.h"
#include "ops/WriteCheck.h"
#include "platform/File.h"
#include "platform/Machine.h"
#include "tag/Id3v1Tag.h"

#include <algorithm>
#include <functional>

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
    fields.artist = FromUtf8Option(options.artist);
    fields.title = FromUtf8Option(options.title);
    fields.album = FromUtf8Option(options.album);
    fields.year = FromUtf8Option(options.year);
    fields.genre = FromUtf8Option(options.genre);
    fields.comment = FromUtf8Option(options.comment);
    if (options.track) fields.track = TrackNumber(*options.track);
    return fields;
}

// A misspelt genre would silently become "no genre"; only the exact names
// and "" (no genre, on purpose) are taken.
bool IsKnownGenre(const std::optional<std::string>& genre)
{
    if (!genre || genre->empty()) return true;
    const CId3v1Tag tag;
    const auto& names = tag.GetGenres();
    return std::find(names.begin(), names.end(), *genre) != names.end();
}

// Changes the tag in memory; true when a long comment took the place of a track number.
using TagChange = std::function<bool(CId3v1Tag&)>;

// Saves the changed tag or, in a dry run, opens the file for writing as the
// save would and writes nothing. 0, or the errno value of an open that failed.
int SaveOrCheck(CId3v1Tag& tag, bool dryRun)
{
    if (dryRun) return WriteOpenError(tag.GetPath());
    // Save itself stays silent when the file cannot be opened for writing.
    tag.Save();
    return tag.GetLastError();
}

// Opens, changes and saves one file; each failure is reported and the walk goes on.
void ChangeFile(const std::string& argument, CCommandReport& report, const TagChange& change, bool dryRun)
{
    const auto systemPath = SystemPathOfArgument(argument);
    if (!systemPath) {
        report.FailedArgument(argument, "not on any drive");
        return;
    }
    CId3v1Tag tag;
    if (!tag.Open(*systemPath)) {
        report.Failed(*systemPath, "cannot open: " + ErrorText(tag.GetLastError()));
        return;
    }
    const bool hadTag = tag.HasTag();
    const bool trackOverwritten = change(tag);
    if (!hadTag && !tag.HasTag()) return; // nothing to write, nothing changed
    try {
        if (const int error = SaveOrCheck(tag, dryRun); error == 0) {
            report.Changed(*systemPath);
            report.Noted(*systemPath, trackOverwritten, tag.HasId3v2());
        } else {
            report.Failed(*systemPath, "cannot write: " + ErrorText(error));
        }
    } catch (const platform::CFileException& error) {
        report.Failed(*systemPath, error.what());
    }
}

// The summary line's end: a dry run says so.
std::string SummaryTail(const CliOptions& options)
{
    return options.dryRun ? " (dry run: nothing written)" : "";
}

int RunOnFiles(const CliOptions& options, const char* doneWord, const TagChange& change)
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
    if (!IsKnownGenre(fields.genre)) return UsageError("unknown genre '" + *options.genre + "'");
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
    if (!IsKnownGenre(fields.genre)) return UsageError("unknown genre '" + *options.genre + "'");
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

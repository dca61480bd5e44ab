// set, strip and multitag: the commands that write tags.
#include "CliCommandTable.h"
#include "CliJournal.h"
#include "CliOutput.h"
#include "CliPaths.h"
#include "CliUsage.h"
#include "CommandReport.h"
#include "Commands.h"
#include "FolderTree.h"
#include "ProgressLine.h"
#include "TextOptions.h"
#include "ops/TagChange.h"
#include "ops/TagFolder.h"
#include "platform/FileSystemKind.h"
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

// A misspelt genre would silently become "no genre"; only the names (in any
// case), the numbers 0 to 255 and "" (no genre, on purpose) are taken.
bool IsKnownGenre(const std::optional<std::string>& genre)
{
    return !genre || genre->empty() || GenreNumber(*genre).has_value();
}

// The values a user sees in a tag: a change that keeps them all needs no write.
struct TagValues {
    bool hasTag = false;
    FieldArray<std::string> texts; // the genre by its byte, below
    unsigned char genre = kNoGenre;
    int track = 0;
    bool operator==(const TagValues&) const = default;
};

TagValues ValuesOf(const CId3v1Tag& tag)
{
    TagValues values{tag.HasTag(), {}, tag.GetGenreByte(), tag.GetTrack()};
    for (Field field : kFields)
        if (field != Field::Genre) At(values.texts, field) = tag.Get(field);
    return values;
}

// True when the change leaves every value of the file's tag as it is; false
// also when the file cannot be read (ChangeTag then reports why).
bool LeavesTagAsItIs(const std::string& systemPath, const TagEdit& change)
{
    CId3v1Tag tag;
    if (!tag.Open(systemPath)) return false;
    const TagValues before = ValuesOf(tag);
    change(tag);
    return ValuesOf(tag) == before;
}

// Opens, changes and saves one file; each failure is reported and the walk
// goes on. True when the file could be read (it counts as processed).
bool ChangeFile(const std::string& argument, CCommandReport& report, const TagEdit& change, bool dryRun,
                journal::CJournalEntry* journal)
{
    const auto systemPath = SystemPathOfArgument(argument);
    if (!systemPath) {
        report.FailedArgument(argument, NotOnAnyDrive());
        return false;
    }
    if (LeavesTagAsItIs(*systemPath, change)) {
        report.Unchanged(*systemPath);
        return true;
    }
    const TagChangeResult result = ChangeTag(*systemPath, change, dryRun, journal);
    if (result.outcome.ok && !result.written)
        report.Unchanged(*systemPath);
    else
        report.Add(result.outcome);
    return result.opened;
}

// The summary line's end: a dry run says so.
std::string SummaryTail(const CliOptions& options)
{
    return options.dryRun ? " (dry run: nothing written)" : "";
}

// "2 files changed, 1 unchanged"
std::string FilesLine(const CCommandReport& report, std::string_view singular, std::string_view plural,
                      const CliOptions& options)
{
    std::string line = Counted(report.ChangedCount(), singular, plural);
    if (report.UnchangedCount() > 0) line += ", " + std::to_string(report.UnchangedCount()) + " unchanged";
    return line + SummaryTail(options);
}

int RunOnFiles(const CliOptions& options, std::string_view singular, std::string_view plural, const TagEdit& change)
{
    const auto journal = BeginCliJournal(options, options.command->name, {});
    CCommandReport report(options.json, false, options.dryRun);
    int processed = 0;
    for (const std::string& argument : options.operands)
        if (ChangeFile(argument, report, change, options.dryRun, journal.get())) ++processed;
    report.SetCount(processed);
    return report.Finish(FilesLine(report, singular, plural, options));
}

// Text longer than its field: cut with a note, or with --strict refused
// before any file is touched. Returns the exit status of a refusal.
std::optional<int> CheckTextLengths(const CliOptions& options)
{
    for (const OverlongText& overlong : OverlongTextOptions(options)) {
        if (options.strict) return UsageError(DescribeOverlong(overlong) + " (--strict)");
        WriteError("note: " + DescribeOverlong(overlong) + "; it is cut to '" + overlong.kept + "'");
    }
    return std::nullopt;
}

// The checks of the field options that set and multitag share.
std::optional<int> CheckFieldOptions(const CliOptions& options, const TagFields& fields)
{
    if (!IsKnownGenre(fields[Field::Genre]))
        return UsageError("unknown genre '" + *options.FieldText(Field::Genre) +
                          "' (a number from 0 to 255 or a name that 'sonadex-cli genres' lists)");
    return CheckTextLengths(options);
}

} // namespace

int RunSet(const CliOptions& options)
{
    const TagFields fields = FieldsOf(options);
    if (const std::optional<int> refused = CheckFieldOptions(options, fields)) return *refused;
    return RunOnFiles(options, "file changed", "files changed", [&](CId3v1Tag& tag) { return fields.ApplyTo(tag); });
}

int RunStrip(const CliOptions& options)
{
    return RunOnFiles(options, "tag removed", "tags removed", [](CId3v1Tag& tag) {
        tag.RemoveTag();
        return false;
    });
}

int RunMultiTag(const CliOptions& options)
{
    const TagFields fields = FieldsOf(options);
    if (const std::optional<int> refused = CheckFieldOptions(options, fields)) return *refused;
    const auto folder = FolderArgument(options.operands.front());
    if (!folder) return 1;
    const auto journal = BeginCliJournal(options, "multitag", *folder);
    CCommandReport report(options.json, false, options.dryRun);
    CProgressLine progress("multitag");
    const int count = TagFolder(
        *folder, fields, options.recurse,
        [&](const FileOutcome& outcome) {
            report.Add(outcome);
            progress.Step();
        },
        TagFolderOptions{.jobs = options.Jobs(),
                         .followLinks = options.followLinks,
                         .dryRun = options.dryRun,
                         .journal = journal.get(),
                         .batched = !platform::IsSystemPathOnNetwork(*folder)});
    report.SetCount(count);
    return report.Finish(Counted(static_cast<std::size_t>(count), "file processed", "files processed") +
                         SummaryTail(options));
}

// rename and rename-all: file names from tags, by the core's rename rule.
#include "CliJournal.h"
#include "CliOutput.h"
#include "CliPaths.h"
#include "CliSettings.h"
#include "CliUsage.h"
#include "CommandReport.h"
#include "Commands.h"
#include "FolderTree.h"
#include "ProgressLine.h"
#include "ops/Rename.h"
#include "platform/File.h"

namespace {

RenameOptions RenameOptionsOf(const CliOptions& options)
{
    RenameOptions rename;
    rename.pattern = RenamePattern(options.pattern);
    rename.dryRun = options.dryRun; // no prompt: files without a tag are passed over
    rename.followLinks = options.followLinks;
    return rename;
}

} // namespace

// An empty pattern would name every file ".mp3", a hidden name, and only
// the first of them would get it.
int EmptyPatternError()
{
    return UsageError("the rename pattern is empty: every file would be named \".mp3\"; give one with --pattern "
                      "or store one in the settings");
}

int RunRename(const CliOptions& options)
{
    RenameOptions rename = RenameOptionsOf(options);
    if (rename.pattern.empty()) return EmptyPatternError();
    const auto journal = BeginCliJournal(options, "rename", {});
    rename.journal = journal.get();
    CCommandReport report(options.json, true, options.dryRun);
    CMovePlan plan; // a dry run's moves: each file sees those of the files before it
    int count = 0;
    for (const std::string& argument : options.operands) {
        const auto systemPath = SystemPathOfArgument(argument);
        if (!systemPath) {
            report.FailedArgument(argument, NotOnAnyDrive());
            continue;
        }
        std::string folder, name;
        SplitSystemPath(*systemPath, folder, name);
        try {
            const auto add = [&](const FileOutcome& outcome) { report.Add(outcome); };
            if (RenameOneFile(folder, name, rename, add, &plan)) ++count;
        } catch (const platform::CFileException& error) {
            report.Failed(*systemPath, error.what());
        }
    }
    report.SetCount(count);
    return report.Finish({});
}

int RunRenameAll(const CliOptions& options)
{
    if (RenameOptionsOf(options).pattern.empty()) return EmptyPatternError();
    const auto folder = FolderArgument(options.operands.front());
    if (!folder) return 1;
    const auto journal = BeginCliJournal(options, "rename-all", *folder);
    RenameOptions rename = RenameOptionsOf(options);
    rename.journal = journal.get();
    CCommandReport report(options.json, true, options.dryRun);
    CProgressLine progress("rename-all");
    const int count =
        RenameFolderTree(*folder, options.recurse, rename, [&](const FileOutcome& outcome) {
            report.Add(outcome);
            progress.Step();
        });
    report.SetCount(count);
    // The count is the core's: files whose move was attempted, taken or not.
    const char* tail = options.dryRun ? " (dry run: nothing moved)" : "";
    return report.Finish(Counted(static_cast<std::size_t>(count), "file processed", "files processed") + tail);
}

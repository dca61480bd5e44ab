#include "Rename.h"

#include "FolderWalk.h"
#include "naming/MakeFileName.h"
#include "platform/FileOps.h"
#include "platform/FoldedFolder.h"
#include "tag/Id3v1Tag.h"
#include "platform/SystemPathName.h"

#include <cerrno>
#include <cstring>
#include <optional>

namespace {

void Report(const OutcomeSink& sink, const FileOutcome& outcome)
{
    if (sink) sink(outcome);
}

std::string MoveFailureReason(int error)
{
    switch (error) {
    case EEXIST:
        return "name taken";
    case EINVAL:
        return "invalid name";
    case ENOENT:
        return "file gone";
    case ENAMETOOLONG:
        return "name too long";
    default:
        return std::strerror(error);
    }
}

void ReportOpenFailure(const OutcomeSink& sink, const std::string& path, int error)
{
    Report(sink, FileOutcome{path, {}, false, error, "cannot open"});
}

// True when the tag to rename by is loaded; false when the file is passed over.
// A dry run reads the file from where its plan has it.
bool LoadTag(CId3v1Tag& tag, const std::string& path, const RenameOptions& options, const OutcomeSink& sink,
             const CMovePlan* plan)
{
    const std::optional<std::string> source = plan ? plan->Source(path) : path;
    if (!source) {
        ReportOpenFailure(sink, path, ENOENT); // the batch moved it away
        return false;
    }
    if (!tag.Open(*source)) {
        ReportOpenFailure(sink, path, tag.GetLastError());
        return false;
    }
    if (tag.HasTag()) return true;
    if (!options.prompt || !options.prompt(path)) return false;
    // The prompt may have moved or locked the file; never rename by a tag that was not read.
    if (tag.Open(*source)) return true;
    ReportOpenFailure(sink, path, tag.GetLastError());
    return false;
}

// 0 or the errno value of the move, made or, in a dry run, planned.
int MoveError(const std::string& path, const std::string& newPath, CMovePlan* plan)
{
    if (plan) return plan->Plan(path, newPath);
    return platform::MoveFileA(path, newPath) ? 0 : platform::GetLastError();
}

FileOutcome Move(const std::string& path, const std::string& newPath, CMovePlan* plan)
{
    FileOutcome outcome{path, newPath, true, 0, {}};
    // A file already named by its tag keeps its name; the attempt still counts.
    if (newPath == path) return outcome;
    if (const int error = MoveError(path, newPath, plan); error != 0) {
        outcome.ok = false;
        outcome.error = error;
        outcome.reason = MoveFailureReason(error);
    }
    return outcome;
}

} // namespace

bool RenameOneFile(const std::string& folder, const std::string& name, const RenameOptions& options,
                   const OutcomeSink& sink, CMovePlan* plan)
{
    CMovePlan alone;
    if (options.dryRun && !plan) plan = &alone;
    if (!options.dryRun) plan = nullptr;
    const std::string path = platform::JoinSystemPath(folder, name);
    CId3v1Tag tag;
    if (!LoadTag(tag, path, options, sink, plan)) return false;
    const std::string newPath = platform::JoinSystemPath(folder, MakeHostFileName(options.pattern, tag));
    Report(sink, Move(path, newPath, plan));
    return true;
}

int RenameFolderTree(const std::string& folder, bool recurse, const RenameOptions& options, const OutcomeSink& sink)
{
    // Each move checks its folder for names alike but for case; read each folder once.
    const platform::CMoveBatch batch;
    CMovePlan plan; // a dry run's moves, one batch
    int count = 0;
    FolderWalkCallbacks callbacks;
    callbacks.onFile = [&](const std::string& where, const std::string& name) {
        if (RenameOneFile(where, name, options, sink, &plan)) ++count;
    };
    callbacks.onFolderFailed = [&](const std::string& where) {
        Report(sink, FileOutcome{where, {}, false, 0, "cannot read folder"});
    };
    callbacks.stayInside = !options.followLinks;
    callbacks.onLinkOutside = [&](const std::string& path) {
        Report(sink, FileOutcome{path, {}, false, 0, kLinkOutsideReason});
    };
    callbacks.onUncarried = [&](const std::string& path) { Report(sink, FileOutcome{path, {}, false, 0, kUncarriedReason}); };
    WalkMp3Files(folder, recurse, callbacks);
    return count;
}

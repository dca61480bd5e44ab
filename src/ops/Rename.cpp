#include "Rename.h"

#include "BatchPace.h"
#include "FolderWalk.h"
#include "WalkProgress.h"
#include "journal/JournalStore.h"
#include "naming/MakeFileName.h"
#include "platform/FileOps.h"
#include "platform/FoldedFolder.h"
#include "platform/Machine.h"
#include "platform/SystemPathName.h"
#include "tag/Id3v1Tag.h"

#include <cerrno>
#include <cstring>
#include <deque>
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

// The journal's record of moving the file tag was read from; none where a
// drive is unmapped (the move then fails and changes nothing).
std::optional<journal::Record> MoveRecordOf(const CId3v1Tag& tag, const std::string& newPath)
{
    const std::optional<std::string> from = platform::HostPath(tag.GetPath()), to = platform::HostPath(newPath);
    if (!from || !to) return std::nullopt;
    journal::Record record;
    record.kind = journal::RecordKind::Move;
    record.identity = {tag.GetOpenState().device, tag.GetOpenState().inode};
    record.path = *from;
    record.newPath = *to;
    return record;
}

// 0 or the errno value of the move, made or, in a dry run, planned.
int MoveError(const CId3v1Tag& tag, const std::string& path, const std::string& newPath, CMovePlan* plan,
              journal::CJournalEntry* journal)
{
    if (plan) return plan->Plan(path, newPath);
    if (journal)
        if (const auto record = MoveRecordOf(tag, newPath)) journal->AddAndCommit(*record);
    return platform::MoveFileA(path, newPath) ? 0 : platform::GetLastError();
}

FileOutcome Move(const CId3v1Tag& tag, const std::string& path, const std::string& newPath, CMovePlan* plan,
                 journal::CJournalEntry* journal)
{
    FileOutcome outcome{path, newPath, true, 0, {}};
    // A file already named by its tag keeps its name; the attempt still counts.
    if (newPath == path) return outcome;
    if (const int error = MoveError(tag, path, newPath, plan, journal); error != 0) {
        outcome.ok = false;
        outcome.error = error;
        outcome.reason = MoveFailureReason(error);
    }
    return outcome;
}

// Rename all with a journal: the moves of a batch of files are committed to
// the journal together and then made in the walk's order, so that a tree
// costs one sync of the journal per batch rather than one per file. A stop
// drops the files read but not yet journalled; a journalled batch is moved
// to its end.
class CJournalledRenames {
public:
    CJournalledRenames(const RenameOptions& options, const OutcomeSink& sink, CWalkProgress& progress)
        : m_options(options), m_sink(sink), m_progress(progress), m_pace(kBatch, options.progress != nullptr)
    {
    }
    CJournalledRenames(const CJournalledRenames&) = delete;
    CJournalledRenames& operator=(const CJournalledRenames&) = delete;

    void AddFile(const std::string& where, const std::string& name)
    {
        if (m_items.empty()) m_pace.Begin();
        m_progress.Found();
        Item& item = m_items.emplace_back();
        item.path = platform::JoinSystemPath(where, name);
        const OutcomeSink keep = [&item](const FileOutcome& outcome) { item.outcomes.push_back(outcome); };
        item.loaded = LoadTag(item.tag, item.path, m_options, keep, nullptr);
        if (item.loaded) item.newPath = platform::JoinSystemPath(where, MakeHostFileName(m_options.pattern, item.tag));
        item.file = true;
        if (m_items.size() >= m_pace.Size()) Flush();
    }

    // What the walk passed by, reported in its place among the files.
    void AddOutcome(const FileOutcome& outcome)
    {
        if (m_items.empty()) m_pace.Begin();
        m_items.emplace_back().outcomes.push_back(outcome);
    }

    // Returns the number of attempted moves.
    int Flush()
    {
        if (m_progress.Stopped()) m_items.clear();
        int attempted = 0;
        for (const Item& item : m_items)
            if (item.loaded && item.newPath != item.path)
                if (const auto record = MoveRecordOf(item.tag, item.newPath)) m_options.journal->Add(*record);
        m_options.journal->Commit();
        for (const Item& item : m_items) {
            for (const FileOutcome& outcome : item.outcomes)
                Report(m_sink, outcome);
            if (item.loaded) {
                Report(m_sink, Move(item.tag, item.path, item.newPath, nullptr, nullptr));
                ++attempted;
            }
            if (item.file) m_progress.Done();
        }
        m_items.clear();
        m_pace.End();
        m_attempted += attempted;
        return m_attempted;
    }

private:
    static constexpr std::size_t kBatch = 256;

    struct Item {
        std::string path, newPath;
        CId3v1Tag tag;
        bool loaded = false;
        bool file = false; // false for what the walk passed by
        std::vector<FileOutcome> outcomes;
    };

    const RenameOptions& m_options;
    const OutcomeSink& m_sink;
    CWalkProgress& m_progress;
    CBatchPace m_pace;
    std::deque<Item> m_items; // items stay in place while their outcomes are kept
    int m_attempted = 0;
};

int RenameJournalledTree(const std::string& folder, bool recurse, const RenameOptions& options,
                         const OutcomeSink& sink)
{
    const platform::CMoveBatch batch;
    CWalkProgress progress(options.progress);
    CJournalledRenames renames(options, sink, progress);
    FolderWalkCallbacks callbacks;
    progress.Attach(callbacks);
    callbacks.onFile = [&](const std::string& where, const std::string& name) { renames.AddFile(where, name); };
    callbacks.onFolderFailed = [&](const std::string& where) {
        renames.AddOutcome(FileOutcome{where, {}, false, 0, kFolderUnreadableReason});
    };
    callbacks.stayInside = !options.followLinks;
    callbacks.onLinkOutside = [&](const std::string& path) {
        renames.AddOutcome(FileOutcome{path, {}, false, 0, kLinkOutsideReason});
    };
    callbacks.onUncarried = [&](const std::string& path) {
        renames.AddOutcome(FileOutcome{path, {}, false, 0, kUncarriedReason});
    };
    WalkMp3Files(folder, recurse, callbacks);
    return renames.Flush();
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
    Report(sink, Move(tag, path, newPath, plan, options.journal));
    return true;
}

int RenameFolderTree(const std::string& folder, bool recurse, const RenameOptions& options, const OutcomeSink& sink)
{
    if (options.journal && !options.dryRun) return RenameJournalledTree(folder, recurse, options, sink);
    // Each move checks its folder for names alike but for case; read each folder once.
    const platform::CMoveBatch batch;
    CMovePlan plan; // a dry run's moves, one batch
    int count = 0;
    CWalkProgress progress(options.progress);
    FolderWalkCallbacks callbacks;
    progress.Attach(callbacks);
    callbacks.onFile = [&](const std::string& where, const std::string& name) {
        progress.Found();
        if (RenameOneFile(where, name, options, sink, &plan)) ++count;
        progress.Done();
    };
    callbacks.onFolderFailed = [&](const std::string& where) {
        Report(sink, FileOutcome{where, {}, false, 0, kFolderUnreadableReason});
    };
    callbacks.stayInside = !options.followLinks;
    callbacks.onLinkOutside = [&](const std::string& path) {
        Report(sink, FileOutcome{path, {}, false, 0, kLinkOutsideReason});
    };
    callbacks.onUncarried = [&](const std::string& path) { Report(sink, FileOutcome{path, {}, false, 0, kUncarriedReason}); };
    WalkMp3Files(folder, recurse, callbacks);
    return count;
}

#include "TagFolder.h"

#include "BatchPace.h"
#include "FolderWalk.h"
#include "ParallelFor.h"
#include "TagChange.h"
#include "WalkProgress.h"
#include "journal/JournalStore.h"
#include "tag/Id3v1Tag.h"
#include "platform/SystemPathName.h"

#include <sys/resource.h>

#include <algorithm>
#include <vector>

namespace {

// With several threads, files are taken a batch at a time, so that the
// reports keep the walk's order and memory stays bounded on any tree.
constexpr std::size_t kParallelBatch = 1024;

// Files a batch may keep open from their read to their write: half the
// descriptors this process may have, the rest left to the walk, the
// journal and the program. The others are opened again to be written.
std::size_t HoldableFiles()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (limit.rlim_cur == RLIM_INFINITY) return kParallelBatch;
    return static_cast<std::size_t>(limit.rlim_cur / 2);
}

void Report(const OutcomeSink& sink, const FileOutcome& outcome)
{
    if (sink) sink(outcome);
}

// A file of the walk, or what the walk passed by: a folder that could not
// be read, a link leading outside the folder.
struct WalkItem {
    std::string path;
    const char* skipReason = nullptr;
    bool file = true; // false for a folder: not counted as a file found
};

// Writes the fields into one file on its own; a dry run only opens it for writing.
TagChangeResult TagOneFile(CId3v1Tag& tag, const std::string& path, const TagFields& fields, bool dryRun,
                           journal::CJournalEntry* journal)
{
    return ChangeTag(
        tag, path, [&](CId3v1Tag& opened) { return fields.ApplyTo(opened); }, dryRun, journal);
}

// Files go a batch at a time: all are read and changed in memory, their
// states go to the journal in one commit, and only then are they written.
// A stop drops the files taken but not yet journalled; a batch once
// journalled is written to its end.
class CBatchTagger {
public:
    CBatchTagger(const TagFields& fields, const TagFolderOptions& options, const OutcomeSink& sink,
                 CWalkProgress& progress)
        : m_fields(fields), m_jobs(std::max(options.jobs, 1u)), m_dryRun(options.dryRun),
          m_journal(options.dryRun ? nullptr : options.journal), m_sink(sink), m_progress(progress),
          m_pace(LargestBatch(), options.progress != nullptr), m_holdable(m_dryRun ? 0 : HoldableFiles())
    {
    }

    void Add(WalkItem item)
    {
        if (m_progress.Stopped()) return;
        if (m_items.empty()) m_pace.Begin();
        if (item.file) m_progress.Found();
        m_items.push_back(std::move(item));
        if (m_items.size() >= m_pace.Size()) Flush();
    }

    void Flush()
    {
        if (m_progress.Stopped()) m_items.clear();
        if (m_items.empty()) return;
        std::vector<CId3v1Tag> tags(m_items.size());
        std::vector<TagChangeResult> results(m_items.size());
        const auto edit = [this](CId3v1Tag& opened) { return m_fields.ApplyTo(opened); };
        ForEachInParallel(m_items.size(), m_jobs, [&](std::size_t index, unsigned) {
            if (!m_items[index].skipReason)
                results[index] = PrepareTagChange(tags[index], m_items[index].path, edit, index < m_holdable);
        });
        Journal(tags, results);
        ForEachInParallel(m_items.size(), m_jobs, [&](std::size_t index, unsigned) {
            if (!m_items[index].skipReason)
                results[index] = FinishTagChange(tags[index], results[index], m_dryRun, m_journal != nullptr);
        });
        for (std::size_t index = 0; index < m_items.size(); ++index)
            ReportInOrder(m_items[index], tags[index], results[index]);
        m_items.clear();
        m_pace.End();
    }

    int Count() const { return m_count; }

private:
    // Without a journal one thread reports each file as it goes; otherwise a
    // batch shares one sync of the journal.
    std::size_t LargestBatch() const { return m_jobs == 1 && !m_journal ? 1 : kParallelBatch; }

    void Journal(const std::vector<CId3v1Tag>& tags, const std::vector<TagChangeResult>& results)
    {
        if (!m_journal) return;
        for (std::size_t index = 0; index < tags.size(); ++index)
            if (results[index].written) m_journal->Add(TagChangeRecord(tags[index]));
        m_journal->Commit();
    }

    void ReportInOrder(const WalkItem& item, CId3v1Tag& tag, TagChangeResult& result)
    {
        if (item.skipReason) {
            Report(m_sink, FileOutcome{item.path, {}, false, 0, item.skipReason});
            if (item.file) m_progress.Done();
            return;
        }
        // Two names of one file (hard links) in one batch refuse each other
        // the lock, whether taken at once or held from read to write; done
        // alone, as one thread would have, the file is written. A file changed
        // between its read and its write (by another name of it in the same
        // batch, or another program) is read again and written alone.
        const bool retry = !result.outcome.ok &&
                           (m_jobs > 1 || m_holdable > 0 || result.outcome.reason == kChangedMeanwhileReason);
        if (retry) result = TagOneFile(tag, item.path, m_fields, m_dryRun, m_journal);
        if (result.opened) ++m_count;
        Report(m_sink, result.outcome);
        m_progress.Done();
    }

    const TagFields& m_fields;
    const unsigned m_jobs;
    const bool m_dryRun;
    journal::CJournalEntry* const m_journal;
    const OutcomeSink& m_sink;
    CWalkProgress& m_progress;
    CBatchPace m_pace;
    const std::size_t m_holdable; // files of a batch held open from read to write
    std::vector<WalkItem> m_items;
    int m_count = 0;
};

} // namespace

bool TagFields::ApplyTo(CId3v1Tag& tag) const
{
    bool trackOverwritten = false;
    for (Field field : kFields) {
        const std::optional<std::string>& value = (*this)[field];
        if (!value) continue;
        if (field == Field::Comment)
            trackOverwritten = tag.SetComment(*value);
        else
            tag.Set(field, *value);
    }
    if (track) tag.SetTrack(*track);
    return trackOverwritten && !track;
}

int TagFolder(const std::string& folder, const TagFields& fields, bool recurse, const OutcomeSink& sink,
              const TagFolderOptions& options)
{
    CWalkProgress progress(options.progress);
    CBatchTagger tagger(fields, options, sink, progress);
    FolderWalkCallbacks callbacks;
    progress.Attach(callbacks);
    callbacks.onFile = [&](const std::string& where, const std::string& name) {
        tagger.Add({platform::JoinSystemPath(where, name)});
    };
    callbacks.onFolderFailed = [&](const std::string& where) { tagger.Add({where, kFolderUnreadableReason, false}); };
    callbacks.stayInside = !options.followLinks;
    callbacks.onLinkOutside = [&](const std::string& path) { tagger.Add({path, kLinkOutsideReason}); };
    callbacks.onUncarried = [&](const std::string& path) { tagger.Add({path, kUncarriedReason}); };
    WalkMp3Files(folder, recurse, callbacks);
    tagger.Flush();
    return tagger.Count();
}

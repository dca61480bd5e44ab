#include "TagFolder.h"

#include "FolderWalk.h"
#include "ParallelFor.h"
#include "TagChange.h"
#include "tag/Id3v1Tag.h"
#include "platform/SystemPathName.h"

#include <algorithm>
#include <vector>

namespace {

// With several threads, files are taken a batch at a time, so that the
// reports keep the walk's order and memory stays bounded on any tree.
constexpr std::size_t kParallelBatch = 1024;

void Report(const OutcomeSink& sink, const FileOutcome& outcome)
{
    if (sink) sink(outcome);
}

// A file of the walk, or what the walk passed by: a folder that could not
// be read, a link leading outside the folder.
struct WalkItem {
    std::string path;
    const char* skipReason = nullptr;
};

struct TagResult {
    bool counted = false; // the file could be opened
    FileOutcome outcome;
};

// Writes the fields into one file; a dry run only opens it for writing.
TagResult TagOneFile(CId3v1Tag& tag, const std::string& path, const TagFields& fields, bool dryRun)
{
    const TagChangeResult result = ChangeTag(
        tag, path, [&](CId3v1Tag& opened) { return fields.ApplyTo(opened); }, dryRun);
    return {result.opened, result.outcome};
}

class CBatchTagger {
public:
    CBatchTagger(const TagFields& fields, unsigned jobs, bool dryRun, const OutcomeSink& sink)
        : m_fields(fields), m_jobs(std::max(jobs, 1u)), m_dryRun(dryRun), m_sink(sink), m_tags(m_jobs)
    {
    }

    void Add(WalkItem item)
    {
        m_items.push_back(std::move(item));
        if (m_items.size() >= (m_jobs == 1 ? 1 : kParallelBatch)) Flush();
    }

    void Flush()
    {
        std::vector<TagResult> results(m_items.size());
        ForEachInParallel(m_items.size(), m_jobs, [&](std::size_t index, unsigned worker) {
            if (!m_items[index].skipReason)
                results[index] = TagOneFile(m_tags[worker], m_items[index].path, m_fields, m_dryRun);
        });
        for (std::size_t index = 0; index < m_items.size(); ++index)
            ReportInOrder(m_items[index], results[index]);
        m_items.clear();
    }

    int Count() const { return m_count; }

private:
    void ReportInOrder(const WalkItem& item, TagResult& result)
    {
        if (item.skipReason) {
            Report(m_sink, FileOutcome{item.path, {}, false, 0, item.skipReason});
            return;
        }
        // Two names of one file (hard links) taken at once refuse each other
        // the lock; done alone, as one thread would have, the file is written.
        if (m_jobs > 1 && !result.outcome.ok) result = TagOneFile(m_tags.front(), item.path, m_fields, m_dryRun);
        if (result.counted) ++m_count;
        Report(m_sink, result.outcome);
    }

    const TagFields& m_fields;
    const unsigned m_jobs;
    const bool m_dryRun;
    const OutcomeSink& m_sink;
    std::vector<CId3v1Tag> m_tags; // Open leaves nothing of the previous file in them
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

int TagFolder(const std::string& folder, const TagFields& fields, bool recurse, const OutcomeSink& sink, unsigned jobs,
              bool followLinks, bool dryRun)
{
    CBatchTagger tagger(fields, jobs, dryRun, sink);
    FolderWalkCallbacks callbacks;
    callbacks.onFile = [&](const std::string& where, const std::string& name) {
        tagger.Add({platform::JoinSystemPath(where, name)});
    };
    callbacks.onFolderFailed = [&](const std::string& where) { tagger.Add({where, "cannot read folder"}); };
    callbacks.stayInside = !followLinks;
    callbacks.onLinkOutside = [&](const std::string& path) { tagger.Add({path, kLinkOutsideReason}); };
    callbacks.onUncarried = [&](const std::string& path) { tagger.Add({path, kUncarriedReason}); };
    WalkMp3Files(folder, recurse, callbacks);
    tagger.Flush();
    return tagger.Count();
}

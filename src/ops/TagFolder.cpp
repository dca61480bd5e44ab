#include "TagFolder.h"

#include "BatchPace.h"
#include "FolderWalk.h"
#include "HeldFolder.h"
#include "ParallelFor.h"
#include "TagChange.h"
#include "WalkProgress.h"
#include "journal/JournalStore.h"
#include "platform/FileEndsReader.h"
#include "platform/OpenFileRoom.h"
#include "platform/SystemPathName.h"
#include "tag/Id3v1Tag.h"

#include <algorithm>
#include <array>
#include <future>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <system_error>
#include <utility>
#include <vector>

namespace {

// Files are read, journalled and written a part at a time: while one part's
// records are written to the journal and synced, the part before is written
// and the next one read, so the files wait for the journal only where it
// outlasts both; at most two parts are held open at once.
constexpr std::size_t kPart = 1024;
// With several threads (or a journal), files are taken a batch at a time,
// so that the reports keep the walk's order and memory stays bounded on any tree.
constexpr std::size_t kParallelBatch = 4 * kPart;
// Folders a batch keeps open for its files; the files of further folders
// (a tree of many small ones) open by their whole path, so that a batch
// never needs more descriptors than HoldableFiles leaves over.
constexpr std::size_t kOpenFolders = 64;

// Files a part may keep open from their read to their write: a quarter of
// the descriptors this process may have (two parts are held at once), the
// rest left to the walk, the journal and the program. The others are
// opened again to be written.
std::size_t HoldableFiles()
{
    const unsigned long limit = platform::OpenFileLimit();
    if (limit == std::numeric_limits<unsigned long>::max()) return kPart; // no limit
    return static_cast<std::size_t>(limit / 4);
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
    bool file = true;                              // false for a folder: not counted as a file found
    std::shared_ptr<const HeldFolder> folder = {}; // a file's folder
    std::string name = {};                         // and the file's host name in it

    bool InOpenFolder() const { return folder && folder->IsOpen(); }
};

// Files go a batch at a time, and a batch a part at a time: a part's files
// are read and changed in memory, their states go to the journal in one
// commit, and only then are they written; the reports follow when the whole
// batch is written. A stop drops the files taken but not yet journalled; a
// batch once journalled is written to its end.
class CBatchTagger {
public:
    CBatchTagger(const TagFields& fields, const TagFolderOptions& options, const OutcomeSink& sink,
                 CWalkProgress& progress)
        : m_fields(fields), m_edit([this](CId3v1Tag& opened) { return m_fields.ApplyTo(opened); }),
          m_jobs(std::max(options.jobs, 1u)), m_dryRun(options.dryRun),
          m_journal(options.dryRun ? nullptr : options.journal), m_sink(sink), m_progress(progress),
          m_pace(LargestBatch(), options.progress != nullptr), m_holdable(m_dryRun ? 0 : HoldableFiles()),
          m_batched(options.batched && m_holdable > 0), m_readers(m_jobs)
    {
    }

    // A file the walk found: the entry name of the folder where.
    void AddFile(const std::string& where, const std::string& name)
    {
        if (!m_folder || m_folder->path != where) {
            const bool openIt = m_openFolders < kOpenFolders;
            m_folder = std::make_shared<const HeldFolder>(where, openIt);
            if (openIt) ++m_openFolders;
        }
        Add({platform::JoinSystemPath(where, name), nullptr, true, m_folder, name});
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
        const std::size_t parts = (m_items.size() + kPart - 1) / kPart;
        std::size_t written = 0; // parts written
        try {
            std::future<void> pending; // the records of the part journalled last, written and synced
            for (std::size_t part = 0; part <= parts; ++part) {
                if (part < parts) PreparePart(part, tags, results);
                if (pending.valid()) pending.get(); // the part before may now be written
                std::future<void> journalled;
                if (part < parts) journalled = JournalPart(part, tags, results);
                if (part > 0) {
                    FinishPart(part - 1, tags, results);
                    written = part;
                }
                pending = std::move(journalled);
            }
        } catch (const journal::JournalError&) {
            // The parts written are told as they went; no file is tried again
            // without the journal.
            for (std::size_t index = 0; index < std::min(written * kPart, m_items.size()); ++index)
                ReportInOrder(m_items[index], tags[index], results[index], false);
            throw;
        }
        for (std::size_t index = 0; index < m_items.size(); ++index)
            ReportInOrder(m_items[index], tags[index], results[index], true);
        m_items.clear();
        m_openFolders = m_folder && m_folder->IsOpen() ? 1 : 0; // the one the next batch goes on in
        m_pace.End();
    }

    int Count() const { return m_count; }

private:
    // Without a journal one thread reports each file as it goes; otherwise a
    // batch waits for the journal's sync once.
    std::size_t LargestBatch() const { return m_jobs == 1 && !m_journal ? 1 : kParallelBatch; }

    static TagChangeResult Prepare(CId3v1Tag& tag, const WalkItem& item, const TagEdit& edit, bool hold)
    {
        if (!item.InOpenFolder()) return PrepareTagChange(tag, item.path, edit, hold);
        return PrepareTagChangeIn(tag, item.folder->fd.Get(), item.name, item.path, edit, hold);
    }

    // The end of one part of the batch in hand; it begins at part * kPart.
    std::size_t PartEnd(std::size_t part) const { return std::min((part + 1) * kPart, m_items.size()); }

    // Reads and changes the part's files in memory, a batch of files of one
    // open folder at a time where they are held from read to write.
    void PreparePart(std::size_t part, std::vector<CId3v1Tag>& tags, std::vector<TagChangeResult>& results)
    {
        const std::size_t begin = part * kPart, end = PartEnd(part);
        const std::size_t batch = m_batched ? platform::CFileEndsReader::kMostFiles : 1;
        ForEachInParallel((end - begin + batch - 1) / batch, m_jobs, [&](std::size_t item, unsigned worker) {
            const std::size_t first = begin + item * batch;
            PrepareRange(part, first, std::min(first + batch, end), m_readers.at(worker), tags, results);
        });
    }

    // Whether the item at index is held from read to write and may be read in a batch.
    bool Batchable(std::size_t part, std::size_t index) const
    {
        return m_batched && !m_items[index].skipReason && m_items[index].InOpenFolder() &&
               index - part * kPart < m_holdable;
    }

    // Prepares the items [first, last): each run of batchable files of one folder together, the rest alone.
    void PrepareRange(std::size_t part, std::size_t first, std::size_t last,
                      std::optional<platform::CFileEndsReader>& reader, std::vector<CId3v1Tag>& tags,
                      std::vector<TagChangeResult>& results)
    {
        while (first < last) {
            std::size_t run = first;
            while (run < last && Batchable(part, run) && m_items[run].folder == m_items[first].folder)
                ++run;
            if (run - first > 1) {
                PrepareBatch(first, run, reader, tags, results);
                first = run;
                continue;
            }
            if (!m_items[first].skipReason)
                results[first] = Prepare(tags[first], m_items[first], m_edit, first - part * kPart < m_holdable);
            ++first;
        }
    }

    // Opens, reads and holds the files [first, last) of one open folder in one batch.
    void PrepareBatch(std::size_t first, std::size_t last, std::optional<platform::CFileEndsReader>& reader,
                      std::vector<CId3v1Tag>& tags, std::vector<TagChangeResult>& results)
    {
        const std::size_t count = std::min(last - first, platform::CFileEndsReader::kMostFiles);
        const HeldFolder& folder = *m_items[first].folder;
        if (!reader) reader.emplace();
        std::array<platform::FileEnds, platform::CFileEndsReader::kMostFiles> ends = reader->ReadNamed(
            folder.fd.Get(), count, [&](std::size_t i) { return m_items[first + i].name.c_str(); },
            CId3v1Tag::kHeadSize, platform::CFileEndsReader::Mode::HoldForWriting);
        for (std::size_t i = 0; i < count; ++i) {
            const WalkItem& item = m_items[first + i];
            results[first + i] =
                PrepareTagChangeFromEnds(tags[first + i], ends.at(i), folder.fd.Get(), item.name, item.path, m_edit);
        }
    }

    void FinishPart(std::size_t part, std::vector<CId3v1Tag>& tags, std::vector<TagChangeResult>& results)
    {
        const std::size_t begin = part * kPart, end = PartEnd(part);
        ForEachInParallel(end - begin, m_jobs, [&](std::size_t offset, unsigned) {
            const std::size_t index = begin + offset;
            if (!m_items[index].skipReason)
                results[index] = FinishTagChange(tags[index], results[index], m_dryRun, m_journal != nullptr);
        });
    }

    // Writes the part's records to the journal and syncs them, on a thread of
    // its own while the part before is written and the next one read; one
    // part's records at a time, in the parts' order.
    std::future<void> JournalPart(std::size_t part, const std::vector<CId3v1Tag>& tags,
                                  const std::vector<TagChangeResult>& results)
    {
        if (!m_journal) return {};
        const auto journal = [this, part, &tags, &results] {
            for (std::size_t index = part * kPart; index < PartEnd(part); ++index) {
                if (!results[index].written) continue;
                const WalkItem& item = m_items[index];
                const bool known = item.folder && !item.folder->hostPath.empty();
                m_journal->Add(known ? TagChangeRecord(tags[index], item.folder->HostPathOf(item.name))
                                     : TagChangeRecord(tags[index]));
            }
            m_journal->WriteAdded();
            m_journal->Sync();
        };
        // A batch of one part has no other part to overlap it with.
        if (m_items.size() <= kPart) {
            journal();
            return {};
        }
        try {
            return std::async(std::launch::async, journal);
        } catch (const std::system_error&) {
            journal(); // no thread to spare: the part is journalled here
            return {};
        }
    }

    void ReportInOrder(const WalkItem& item, CId3v1Tag& tag, TagChangeResult& result, bool mayRetry)
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
        const bool retry = mayRetry && !result.outcome.ok &&
                           (m_jobs > 1 || m_holdable > 0 || result.outcome.reason == kChangedMeanwhileReason);
        if (retry) result = ChangeTag(tag, item.path, m_edit, m_dryRun, m_journal);
        if (result.opened) ++m_count;
        Report(m_sink, result.outcome);
        m_progress.Done();
    }

    const TagFields& m_fields;
    const TagEdit m_edit; // writes m_fields into a tag
    const unsigned m_jobs;
    const bool m_dryRun;
    journal::CJournalEntry* const m_journal;
    const OutcomeSink& m_sink;
    CWalkProgress& m_progress;
    CBatchPace m_pace;
    const std::size_t m_holdable; // files of a part held open from read to write
    const bool m_batched;
    // One reader per thread, made when the thread first reads a batch.
    std::vector<std::optional<platform::CFileEndsReader>> m_readers;
    std::vector<WalkItem> m_items;
    std::shared_ptr<const HeldFolder> m_folder; // of the last file added
    std::size_t m_openFolders = 0;              // folders the batch in hand holds open
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
    callbacks.onFile = [&](const std::string& where, const std::string& name) { tagger.AddFile(where, name); };
    callbacks.onFolderFailed = [&](const std::string& where) { tagger.Add({where, kFolderUnreadableReason, false}); };
    callbacks.stayInside = !options.followLinks;
    callbacks.onLinkOutside = [&](const std::string& path) { tagger.Add({path, kLinkOutsideReason}); };
    callbacks.onUncarried = [&](const std::string& path) { tagger.Add({path, kUncarriedReason}); };
    WalkMp3Files(folder, recurse, callbacks);
    tagger.Flush();
    return tagger.Count();
}

#include "FileListing.h"

#include "FormatFileSize.h"
#include "HeldFolder.h"
#include "ParallelFor.h"
#include "naming/MakeFileName.h"
#include "platform/FileEndsReader.h"
#include "platform/FileFind.h"
#include "platform/Machine.h"
#include "platform/OpenFileRoom.h"
#include "platform/SystemPathName.h"
#include "tag/Id3v1Tag.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace {

void TakeFields(FileRow& row, const CId3v1Tag& tag)
{
    for (Field field : kFields)
        At(row.fields, field) = tag.Get(field);
    row.track = tag.GetTrack();
    row.genreByte = tag.GetGenreByte();
}

// The host name the rename rule gives the file: the getters' values, which
// for a file without a tag all read as empty (the row's fields then are).
std::string NameFromTag(const FileRow& row, const std::string& pattern)
{
    return platform::ToUtf8(MakeFileName(pattern, row.fields));
}

// Completes the row from the tag read for it (row.opened tells whether it opened).
void TakeRow(FileRow& row, const CId3v1Tag& tag, const std::string& pattern)
{
    if (!row.opened) return;
    row.hasId3v2 = tag.HasId3v2();
    row.hasTag = tag.HasTag();
    row.size = tag.GetFileLength();
    row.sizeText = FormatFileSize(row.size);
    if (row.hasTag) {
        row.state = RowState::Tagged;
        TakeFields(row, tag);
    }
    if (NameFromTag(row, pattern) == row.name) row.state = RowState::Match;
}

CId3v1Tag::Head HeadFor(bool id3v2)
{
    return id3v2 ? CId3v1Tag::Head::Check : CId3v1Tag::Head::Skip;
}

// Fills the row of the file row.name (the finder gives the host's own name) in folder.
void ReadRow(FileRow& row, CId3v1Tag& tag, const HeldFolder& folder, const std::string& pattern, bool id3v2)
{
    const std::string path = platform::JoinSystemPath(folder.path, row.name);
    const CId3v1Tag::Head head = HeadFor(id3v2);
    row.opened = folder.IsOpen() ? tag.OpenIn(folder.fd.Get(), row.name, path, head) : tag.Open(path, head);
    TakeRow(row, tag, pattern);
}

// What one thread reads with: one tag object (and genre table), and the
// reader of file ends, made when the thread first reads a batch.
struct RowReader {
    CId3v1Tag tag;
    std::optional<platform::CFileEndsReader> ends;
};

// ReadRow for the rows of up to CFileEndsReader::kMostFiles files of the
// open folder, opened and read together.
void ReadRowBatch(std::span<FileRow* const> rows, RowReader& reader, const HeldFolder& folder,
                  const std::string& pattern, bool id3v2)
{
    const std::size_t count = std::min(rows.size(), platform::CFileEndsReader::kMostFiles);
    if (!reader.ends) reader.ends.emplace();
    std::array<platform::FileEnds, platform::CFileEndsReader::kMostFiles> ends = reader.ends->ReadNamed(
        folder.fd.Get(), count, [&](std::size_t i) { return rows[i]->name.c_str(); }, id3v2 ? CId3v1Tag::kHeadSize : 0);
    for (std::size_t i = 0; i < count; ++i) {
        FileRow& row = *rows[i];
        row.opened = reader.tag.TakeEnds(ends.at(i), platform::JoinSystemPath(folder.path, row.name), HeadFor(id3v2));
        TakeRow(row, reader.tag, pattern);
    }
}

// Reads the rows of a run of files (folder index, row) of one folder: in
// batches when the folder is open, else one by one by path.
void ReadRows(std::span<const std::pair<std::size_t, FileRow*>> files, RowReader& reader, const HeldFolder& folder,
              const std::string& pattern, const ListReading& reading)
{
    if (reading.batched && folder.IsOpen()) {
        std::array<FileRow*, platform::CFileEndsReader::kMostFiles> rows{};
        const std::size_t count = std::min(files.size(), rows.size());
        std::transform(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(count), rows.begin(),
                       [](const auto& file) { return file.second; });
        ReadRowBatch(std::span(rows.data(), count), reader, folder, pattern, reading.id3v2);
    } else {
        for (const auto& file : files)
            ReadRow(*file.second, reader.tag, folder, pattern, reading.id3v2);
    }
    if (reading.read) *reading.read += files.size();
}

// ReadRows for each folder's run of files (folder index, row) in turn.
void ReadFiles(std::span<const std::pair<std::size_t, FileRow*>> files, RowReader& reader,
               const std::vector<HeldFolder>& folders, const std::string& pattern, const ListReading& reading)
{
    while (!files.empty()) {
        const std::size_t folder = files.front().first;
        const auto run = static_cast<std::size_t>(
            std::find_if(files.begin(), files.end(), [&](const auto& file) { return file.first != folder; }) -
            files.begin());
        ReadRows(files.first(run), reader, folders[folder], pattern, reading);
        files = files.subspan(run);
    }
}

// Files per batch on each of threads threads: as many as the reader takes,
// while all threads' batches leave most of the descriptors free.
std::size_t BatchFiles(const ListReading& reading, unsigned threads)
{
    if (!reading.batched) return 1;
    const std::size_t room = platform::OpenFileLimit() / (4UL * std::max(threads, 1u));
    return std::clamp<std::size_t>(room, 1, platform::CFileEndsReader::kMostFiles);
}

std::vector<FileRow> FoundRows(const std::string& folder, const ListReading& reading)
{
    std::vector<FileRow> rows;
    platform::CFileFind finder;
    bool more = finder.FindFile(platform::JoinSystemPath(folder, "*.mp3"));
    rows.reserve(finder.EntryCount());
    while (more && !reading.Stopped()) {
        more = finder.FindNextFile();
        rows.emplace_back().name = finder.TakeFileName();
        if (reading.found) ++*reading.found;
    }
    return rows;
}

// Drops the rows a stop left unread; the rest keep their order.
void KeepRowsRead(std::vector<FileListing>& listings, const std::vector<std::pair<std::size_t, FileRow*>>& files,
                  const std::vector<char>& done)
{
    std::vector<std::vector<FileRow>> kept(listings.size());
    for (std::size_t i = 0; i < files.size(); ++i)
        if (done[i]) kept[files[i].first].push_back(std::move(*files[i].second));
    for (std::size_t index = 0; index < listings.size(); ++index)
        listings[index].rows = std::move(kept[index]);
}

} // namespace

std::vector<FileListing> ListFolders(const std::vector<std::string>& folders, const std::string& pattern,
                                     const ListReading& reading)
{
    const unsigned jobs = reading.jobs;
    std::vector<FileListing> listings(folders.size());
    std::vector<HeldFolder> listed(folders.size());
    ForEachInParallel(folders.size(), jobs, [&](std::size_t index, unsigned) {
        listings[index].rows = FoundRows(folders[index], reading);
        listed[index] = HeldFolder(folders[index]);
    });
    // Every file of every folder is one item, so a tree of small folders
    // keeps all threads as busy as one large folder does.
    std::vector<std::pair<std::size_t, FileRow*>> files; // folder index, row
    for (std::size_t index = 0; index < listings.size(); ++index)
        for (FileRow& row : listings[index].rows)
            files.emplace_back(index, &row);
    // One reader per thread; a slow device gets more threads than the
    // processors need, to keep many reads in flight. Each item is a batch of
    // files; a stop ends the reads between two batches.
    const unsigned threads = std::min(std::max({jobs, reading.ioJobs, 1u}), kMaxIoJobs);
    std::vector<RowReader> readers(threads);
    const std::size_t batch = BatchFiles(reading, threads);
    std::vector<char> done(files.size(), 0);
    ForEachWaitingInParallel((files.size() + batch - 1) / batch, jobs, reading.ioJobs,
                             [&](std::size_t item, unsigned worker) {
                                 if (reading.Stopped()) return;
                                 const std::size_t first = item * batch;
                                 const std::size_t count = std::min(batch, files.size() - first);
                                 ReadFiles(std::span(files).subspan(first, count), readers[worker], listed, pattern,
                                           reading);
                                 std::fill_n(done.begin() + static_cast<std::ptrdiff_t>(first), count, 1);
                             },
                             batch);
    // Two names of one file (hard links) read at once, on two threads or in
    // one batch, refuse each other the lock; read alone, as one thread
    // reading one file at a time would have, a refused file opens.
    for (std::size_t i = 0; i < files.size(); ++i)
        if (done[i] && !files[i].second->opened)
            ReadRow(*files[i].second, readers.front().tag, listed[files[i].first], pattern, reading.id3v2);
    if (reading.Stopped()) KeepRowsRead(listings, files, done);
    for (FileListing& listing : listings) {
        for (const FileRow& row : listing.rows)
            if (row.opened) listing.total += row.size;
        listing.count = static_cast<int>(listing.rows.size());
    }
    return listings;
}

FileListing ListFolder(const std::string& folder, const std::string& pattern, const ListReading& reading)
{
    return std::move(ListFolders({folder}, pattern, reading).front());
}

std::string SummaryText(int count, std::uint64_t total, const std::string& filesWord)
{
    return std::to_string(count) + " " + filesWord + ", " + FormatFileSize(total);
}

#include "FileListing.h"

#include "FormatFileSize.h"
#include "HeldFolder.h"
#include "ParallelFor.h"
#include "naming/MakeFileName.h"
#include "platform/FileFind.h"
#include "platform/Machine.h"
#include "platform/SystemPathName.h"
#include "tag/Id3v1Tag.h"

#include <algorithm>
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

// Fills the row of the file row.name (the finder gives the host's own name) in folder.
void ReadRow(FileRow& row, CId3v1Tag& tag, const HeldFolder& folder, const std::string& pattern, bool id3v2)
{
    const std::string path = platform::JoinSystemPath(folder.path, row.name);
    const CId3v1Tag::Head head = id3v2 ? CId3v1Tag::Head::Check : CId3v1Tag::Head::Skip;
    row.opened = folder.IsOpen() ? tag.OpenIn(folder.fd.Get(), row.name, path, head) : tag.Open(path, head);
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

std::vector<FileRow> FoundRows(const std::string& folder, const ListReading& reading)
{
    std::vector<FileRow> rows;
    platform::CFileFind finder;
    bool more = finder.FindFile(platform::JoinSystemPath(folder, "*.mp3"));
    rows.reserve(finder.EntryCount());
    while (more && !reading.Stopped()) {
        more = finder.FindNextFile();
        rows.emplace_back().name = finder.GetFileName();
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
    // One object and one genre table per thread; a slow device gets more
    // threads than the processors need, to keep many reads in flight.
    std::vector<CId3v1Tag> tags(std::min(std::max({jobs, reading.ioJobs, 1u}), kMaxIoJobs));
    std::vector<char> done(files.size(), 0);
    ForEachWaitingInParallel(files.size(), jobs, reading.ioJobs, [&](std::size_t index, unsigned worker) {
        if (reading.Stopped()) return;
        ReadRow(*files[index].second, tags[worker], listed[files[index].first], pattern, reading.id3v2);
        done[index] = 1;
        if (reading.read) ++*reading.read;
    });
    // Two names of one file (hard links) read at once refuse each other the
    // lock; read alone, as one thread would have, a refused file opens.
    if (jobs > 1)
        for (std::size_t i = 0; i < files.size(); ++i)
            if (done[i] && !files[i].second->opened)
                ReadRow(*files[i].second, tags.front(), listed[files[i].first], pattern, reading.id3v2);
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

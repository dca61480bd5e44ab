#include "FileListing.h"

#include "FormatFileSize.h"
#include "dialogs/MakeFileName.h"
#include "platform/FileFind.h"
#include "tag/Id3v1Tag.h"

namespace {

void TakeFields(FileRow& row, const CId3v1Tag& tag)
{
    row.artist = tag.GetArtist();
    row.title = tag.GetTitle();
    row.album = tag.GetAlbum();
    row.year = tag.GetYear();
    row.genre = tag.GetGenre();
    row.comment = tag.GetComment();
}

FileRow MakeRow(CId3v1Tag& tag, const platform::CFileFind& finder, const std::string& pattern)
{
    FileRow row;
    row.name = finder.GetFileName();
    row.opened = tag.Open(finder.GetFilePath());
    if (!row.opened) return row;
    row.hasTag = tag.HasTag();
    row.size = tag.GetFileLength();
    row.sizeText = FormatFileSize(row.size);
    if (row.hasTag) {
        row.state = RowState::Tagged;
        TakeFields(row, tag);
    }
    // Also made for a file without a tag, whose fields all read as empty.
    if (MakeFileName(pattern, tag) == row.name) row.state = RowState::Match;
    return row;
}

} // namespace

FileListing ListFolder(const std::string& folder, const std::string& pattern)
{
    FileListing listing;
    CId3v1Tag tag; // one object and one genre table for the whole folder
    platform::CFileFind finder;
    bool more = finder.FindFile(folder + "\\*.mp3");
    while (more) {
        more = finder.FindNextFile();
        FileRow row = MakeRow(tag, finder, pattern);
        if (row.opened) listing.total += row.size;
        ++listing.count;
        listing.rows.push_back(std::move(row));
    }
    return listing;
}

std::string SummaryText(int count, std::uint64_t total, const std::string& filesWord)
{
    return std::to_string(count) + " " + filesWord + ", " + FormatFileSize(total);
}

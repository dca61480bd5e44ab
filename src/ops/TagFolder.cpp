#include "TagFolder.h"

#include "FolderWalk.h"
#include "platform/File.h"
#include "tag/Id3v1Tag.h"

namespace {

void Report(const OutcomeSink& sink, const FileOutcome& outcome)
{
    if (sink) sink(outcome);
}

// Writes the fields into one file; false when the file could not be opened.
bool TagOneFile(CId3v1Tag& tag, const std::string& path, const TagFields& fields, const OutcomeSink& sink)
{
    if (!tag.Open(path)) {
        Report(sink, FileOutcome{path, {}, false, tag.GetLastError(), "cannot open"});
        return false;
    }
    fields.ApplyTo(tag);
    try {
        tag.Save();
    } catch (const platform::CFileException& error) {
        // Save has put the file back as it was; the walk goes on.
        Report(sink, FileOutcome{path, {}, false, error.OsError(), "cannot write"});
        return true;
    }
    if (tag.GetLastError() != 0)
        Report(sink, FileOutcome{path, {}, false, tag.GetLastError(), "cannot write"});
    else
        Report(sink, FileOutcome{path, {}, true, 0, {}});
    return true;
}

} // namespace

void TagFields::ApplyTo(CId3v1Tag& tag) const
{
    if (artist) tag.SetArtist(*artist);
    if (title) tag.SetTitle(*title);
    if (album) tag.SetAlbum(*album);
    if (year) tag.SetYear(*year);
    if (genre) tag.SetGenre(*genre);
    if (comment) tag.SetComment(*comment);
}

int TagFolder(const std::string& folder, const TagFields& fields, bool recurse, const OutcomeSink& sink)
{
    int count = 0;
    CId3v1Tag tag; // Open leaves nothing of the previous file in it
    FolderWalkCallbacks callbacks;
    callbacks.onFile = [&](const std::string& where, const std::string& name) {
        if (TagOneFile(tag, where + "\\" + name, fields, sink)) ++count;
    };
    callbacks.onFolderFailed = [&](const std::string& where) {
        Report(sink, FileOutcome{where, {}, false, 0, "cannot read folder"});
    };
    WalkMp3Files(folder, recurse, callbacks);
    return count;
}

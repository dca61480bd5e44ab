#include "TagChange.h"

#include "WriteCheck.h"
#include "journal/JournalStore.h"
#include "platform/File.h"
#include "platform/Machine.h"
#include "tag/Id3v1Tag.h"

namespace {

FileOutcome Failed(const std::string& path, int error, const char* reason)
{
    return FileOutcome{path, {}, false, error, reason};
}

// 0, or the errno value of a save that could not open or write the file;
// -1 when the file changed since it was read and so was not written.
int SaveOrCheck(CId3v1Tag& tag, const std::string& path, bool dryRun, bool journalled)
{
    if (dryRun) return WriteOpenError(path);
    try {
        if (journalled) {
            if (!tag.SaveIfUnchanged()) return -1;
        } else {
            tag.Save();
        }
    } catch (const platform::CFileException& error) {
        // Save has put the file back as it was.
        return error.OsError();
    }
    // Save itself stays silent when the file cannot be opened for writing.
    return tag.GetLastError();
}

bool HadTagOnDisk(const CId3v1Tag::FileState& state)
{
    if (state.tail.size() != CId3v1Record::kSize) return false;
    CId3v1Record::Bytes bytes{};
    std::copy(state.tail.begin(), state.tail.end(), bytes.begin());
    return CId3v1Record::Parse(bytes).has_value();
}

// The edit of a file Prepare... has just tried to open into tag.
TagChangeResult EditOpened(CId3v1Tag& tag, bool opened, const std::string& path, const TagEdit& edit)
{
    if (!opened) return {Failed(path, tag.GetLastError(), kCannotOpenReason), false, false};
    const bool hadTag = tag.HasTag();
    FileOutcome done{path, {}, true, 0, {}};
    done.trackOverwritten = edit(tag);
    done.hasId3v2 = tag.HasId3v2();
    const bool write = hadTag || tag.HasTag();
    // A file that would be written but cannot be fails here, before the
    // journal would name it among the files changed.
    if (write && tag.GetWriteRefusal() != 0) {
        tag.Release();
        return {Failed(path, tag.GetWriteRefusal(), kCannotWriteReason), true, false};
    }
    return {done, true, write};
}

} // namespace

TagChangeResult PrepareTagChange(CId3v1Tag& tag, const std::string& path, const TagEdit& edit, bool hold)
{
    return EditOpened(tag, hold ? tag.OpenForChange(path) : tag.Open(path), path, edit);
}

TagChangeResult PrepareTagChangeIn(CId3v1Tag& tag, int folderFd, const std::string& hostName, const std::string& path,
                                   const TagEdit& edit, bool hold)
{
    const bool opened = hold ? tag.OpenForChangeIn(folderFd, hostName, path) : tag.OpenIn(folderFd, hostName, path);
    return EditOpened(tag, opened, path, edit);
}

TagChangeResult PrepareTagChangeFromEnds(CId3v1Tag& tag, platform::FileEnds& ends, int folderFd,
                                         const std::string& hostName, const std::string& path, const TagEdit& edit)
{
    return EditOpened(tag, tag.TakeEndsForChange(ends, folderFd, hostName, path), path, edit);
}

journal::Record TagChangeRecord(const CId3v1Tag& tag)
{
    return TagChangeRecord(tag, platform::HostPath(tag.GetPath()).value_or(tag.GetPath()));
}

journal::Record TagChangeRecord(const CId3v1Tag& tag, std::string hostPath)
{
    const CId3v1Tag::FileState& state = tag.GetOpenState();
    journal::Record record;
    record.kind = journal::RecordKind::Tag;
    record.identity = {state.device, state.inode};
    record.path = std::move(hostPath);
    record.before = {state.length, state.tail};
    const bool hadTag = HadTagOnDisk(state);
    const std::uint64_t audio = state.length - (hadTag ? CId3v1Record::kSize : 0);
    if (tag.HasTag()) {
        const CId3v1Record::Bytes& bytes = tag.GetRecord();
        record.after = {audio + CId3v1Record::kSize, std::string(bytes.begin(), bytes.end())};
    } else {
        record.after = {audio, {}}; // the audio's last bytes: matched by length
    }
    return record;
}

TagChangeResult FinishTagChange(CId3v1Tag& tag, const TagChangeResult& prepared, bool dryRun, bool journalled)
{
    if (!prepared.written) {
        tag.Release();
        return prepared;
    }
    const std::string& path = prepared.outcome.path;
    const int error = SaveOrCheck(tag, path, dryRun, journalled);
    if (error == -1) return {Failed(path, 0, kChangedMeanwhileReason), true, false};
    if (error != 0) return {Failed(path, error, kCannotWriteReason), true, false};
    return prepared;
}

TagChangeResult ChangeTag(CId3v1Tag& tag, const std::string& path, const TagEdit& edit, bool dryRun,
                          journal::CJournalEntry* journal)
{
    const TagChangeResult prepared = PrepareTagChange(tag, path, edit, !dryRun);
    const bool journalled = journal && !dryRun && prepared.written;
    if (journalled) journal->AddAndCommit(TagChangeRecord(tag));
    return FinishTagChange(tag, prepared, dryRun, journalled);
}

TagChangeResult ChangeTag(const std::string& path, const TagEdit& edit, bool dryRun, journal::CJournalEntry* journal)
{
    CId3v1Tag tag;
    return ChangeTag(tag, path, edit, dryRun, journal);
}

#include "TagChange.h"

#include "WriteCheck.h"
#include "platform/File.h"
#include "tag/Id3v1Tag.h"

namespace {

constexpr char kCannotOpen[] = "cannot open", kCannotWrite[] = "cannot write";

FileOutcome Failed(const std::string& path, int error, const char* reason)
{
    return FileOutcome{path, {}, false, error, reason};
}

// 0, or the errno value of a save that could not open or write the file.
int SaveOrCheck(CId3v1Tag& tag, const std::string& path, bool dryRun)
{
    if (dryRun) return WriteOpenError(path);
    try {
        tag.Save();
    } catch (const platform::CFileException& error) {
        // Save has put the file back as it was.
        return error.OsError();
    }
    // Save itself stays silent when the file cannot be opened for writing.
    return tag.GetLastError();
}

} // namespace

TagChangeResult ChangeTag(CId3v1Tag& tag, const std::string& path, const TagEdit& edit, bool dryRun)
{
    if (!tag.Open(path)) return {Failed(path, tag.GetLastError(), kCannotOpen), false, false};
    const bool hadTag = tag.HasTag();
    FileOutcome done{path, {}, true, 0, {}};
    done.trackOverwritten = edit(tag);
    done.hasId3v2 = tag.HasId3v2();
    if (!hadTag && !tag.HasTag()) return {done, true, false};
    if (const int error = SaveOrCheck(tag, path, dryRun); error != 0)
        return {Failed(path, error, kCannotWrite), true, false};
    return {done, true, true};
}

TagChangeResult ChangeTag(const std::string& path, const TagEdit& edit, bool dryRun)
{
    CId3v1Tag tag;
    return ChangeTag(tag, path, edit, dryRun);
}

#include "FallbackText.h"

#include "LanguageText.h"
#include "TextIds.h"
#include "table/TableFile.h"

#include <map>

namespace {

// The rows of lang/English.txt that older language files may lack (ASCII,
// the same in every code page).
const std::map<int, std::string>& BuiltInTexts()
{
    static const std::map<int, std::string> texts = {
        {text::kUnholdableCharacter, "%1: the character '%2' is not in code page %3 and cannot be stored."},
        {text::kPatternField, "Pattern"},
        {text::kTagsNotRemoved, "The tag could not be removed from these files:"},
        {text::kFilesNotDeleted, "These files could not be deleted:"},
        {text::kLinksSkipped, "These links lead outside the folder and were skipped:"},
        {text::kUndo, "&Undo"},
        {text::kUndone, "Undone: %1 (%2 files restored, %3 skipped)"},
        {text::kNothingToUndo, "Nothing to undo."},
        {text::kJournalNotWritten, "The undo journal cannot be written, so the operation stopped here:"},
        {text::kUndoneOne, "Undone: %1 (1 file restored, %3 skipped)"},
        {text::kUndoOtherFile, "it is another file now"},
        {text::kUndoChangedSince, "it was changed since"},
        {text::kUndoMovedSince, "it was renamed, replaced or removed since"},
        {text::kUndoOldNameTaken, "its old name is taken again"},
        {text::kUndoNotInTrash, "it is not in the trash where the journal expects it"},
        {text::kUndoLeftTrash, "it is no longer in the trash"},
        {text::kUndoNameTaken, "its name is taken again"},
        {text::kUndoUnknownChange, "unknown change"},
        {text::kFileAccessFailed, "The file %1 could not be read or written: %2"},
        {text::kTagNotSaved, "Unable to save the tag of %1: %2."},
        {text::kFilesNotTagged, "%1 files or folders could not be tagged:"},
        {text::kOneNotTagged, "1 file or folder could not be tagged:"},
        {text::kPrintFailed, "The printout could not be started."},
        {text::kNoPrinter, "No printer is set up."},
        {text::kQtLocale, "en"},
        {text::kCodePageRefused, R"(The code page "%1" (value "%2") cannot be used: %3)"},
        {text::kCodePageNotNumber, "it is not a code page number."},
        {text::kCodePageUnknown, "this system knows no such code page."},
        {text::kCodePageMultiByte, "it is a multi-byte code page; only single-byte code pages are supported."},
        {text::kCodePageChangesAscii, "it does not keep the ASCII characters unchanged."},
        {text::kOneFile, "file"},
        {text::kCannotOpen, "cannot open"},
        {text::kCannotWrite, "cannot write"},
        {text::kChangedMeanwhile, "changed by another program meanwhile"},
        {text::kLinkOutside, "link leads outside the folder"},
        {text::kNameUnaddressable, "name holds a backslash, which this program cannot address"},
        {text::kFolderUnreadable, "cannot read folder"},
        {text::kProgressCount, "%1 of %2 files"},
        {text::kStoppedAfter, "Stopped after %1 of %2 files."},
        {text::kReadingFolder, "Reading the folder: %1 of %2 files. Esc stops."},
        {text::kReadingStopped, "%1 (stopped with Esc; the other files were not read)"},
    };
    return texts;
}

} // namespace

std::string BuiltInText(int number)
{
    const auto found = BuiltInTexts().find(number);
    return found == BuiltInTexts().end() ? std::string() : found->second;
}

std::string GetTextOrBuiltIn(CTableFile& table, int number)
{
    if (!table.FindFirst("ID=" + std::to_string(number))) return BuiltInText(number);
    return table.GetField("Text");
}

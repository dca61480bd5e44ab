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
        {text::kOneFile, "file"},
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

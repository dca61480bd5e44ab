// Typed text the machine's code page cannot hold: found where it is typed
// and explained to the user, never stored as '?'.
#pragma once

#include <QString>
#include <optional>
#include <string>

class CTableFile;
class QWidget;

namespace dialogs {

// The first character of text that has no byte in the machine's code page.
std::optional<char32_t> FirstUnholdable(const QString& text);
// Language text 100 for the field (a language text number) and the character.
QString UnholdableMessage(CTableFile& languageTable, int fieldText, char32_t character);
// Shows UnholdableMessage in a stop box when text holds such a character;
// true when it did, so the caller keeps the dialog open.
bool RefuseUnholdable(QWidget* owner, CTableFile& languageTable, int fieldText, const QString& text);

} // namespace dialogs

// Control behaviour the three dialogs share: sorted combo boxes, the prefix
// selection of a drop-down list, one default button, dialog units.
#pragma once

#include "tag/Field.h"

#include <QString>
#include <initializer_list>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;
class QWidget;

namespace dialogs {

// Adds the system strings to the box sorted case-insensitively (a sorted
// drop-down list) and leaves nothing selected.
void FillSorted(QComboBox& box, const std::vector<std::string>& items);
// FillSorted with the genre table's names.
void FillGenreBox(QComboBox& box);
// The object name of a field's control: the field as the command line spells
// it and a suffix ("artistEdit"); tests find controls by it.
QString FieldObjectName(Field field, const char* suffix);

// FillSorted for file names (host bytes): each entry shows its name decoded
// as UTF-8 and keeps the bytes, which CurrentName returns.
void FillSortedNames(QComboBox& box, const std::vector<std::string>& names);
std::string CurrentName(const QComboBox& box);

// Selects the first entry, from the top, that begins with prefix, ignoring
// case; selects nothing when none does or prefix is empty. Returns the index or -1.
int SelectByPrefix(QComboBox& box, const QString& prefix);

// Makes chosen the one default button among buttons (Enter presses it).
void SetDefaultButton(QPushButton* chosen, std::initializer_list<QPushButton*> buttons);

// Horizontal and vertical dialog units of the widget's font, in pixels.
int DluX(const QWidget& widget, int units);
int DluY(const QWidget& widget, int units);
// Places control at a template rectangle given in dialog units of the dialog's font.
void PlaceControl(const QWidget& dialog, QWidget& control, int x, int y, int w, int h);
// Fixes the dialog's client size, in dialog units, as a modal frame does.
void FixClientSize(QWidget& dialog, int w, int h);

} // namespace dialogs

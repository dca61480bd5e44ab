// A language text as the window shows it.
#pragma once

#include <QString>

class CTableFile;

namespace dialogs {

// Text number of the language table, or its built-in English text where the
// table lacks it, decoded for Qt.
QString LanguageQText(CTableFile& languageTable, int number);

} // namespace dialogs

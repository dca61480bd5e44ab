#include "LanguageQText.h"

#include "language/FallbackText.h"
#include "platform/QtText.h"

namespace dialogs {

QString LanguageQText(CTableFile& languageTable, int number)
{
    return platform::ToQString(GetTextOrBuiltIn(languageTable, number));
}

} // namespace dialogs

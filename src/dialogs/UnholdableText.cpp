#include "UnholdableText.h"
#include "LanguageQText.h"

#include "language/TextIds.h"
#include "platform/Machine.h"
#include "platform/MessageBox.h"
#include "platform/QtText.h"

namespace dialogs {

std::optional<char32_t> FirstUnholdable(const QString& text)
{
    return platform::CurrentMachine().codePage.FirstUnholdable(text.toStdString());
}

QString UnholdableMessage(CTableFile& languageTable, int fieldText, char32_t character)
{
    const QString pattern = dialogs::LanguageQText(languageTable, text::kUnholdableCharacter);
    const QString field = dialogs::LanguageQText(languageTable, fieldText);
    return pattern.arg(field, QString::fromUcs4(&character, 1),
                       QString::number(platform::CurrentMachine().codePage.Number()));
}

bool RefuseUnholdable(QWidget* owner, CTableFile& languageTable, int fieldText, const QString& text)
{
    const std::optional<char32_t> character = FirstUnholdable(text);
    if (!character) return false;
    platform::MessageBox(owner, UnholdableMessage(languageTable, fieldText, *character), "Sonadex Pro",
                         platform::MB_ICONSTOP | platform::MB_OK);
    return true;
}

} // namespace dialogs

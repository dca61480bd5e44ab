#include "MachineRefusalText.h"

#include "dialogs/LanguageQText.h"
#include "language/TextIds.h"
#include "platform/QtText.h"

namespace {

int ReasonText(platform::CodePageRefusal::Reason reason)
{
    using Reason = platform::CodePageRefusal::Reason;
    switch (reason) {
    case Reason::NotANumber:
        return text::kCodePageNotNumber;
    case Reason::Unknown:
        return text::kCodePageUnknown;
    case Reason::MultiByte:
        return text::kCodePageMultiByte;
    case Reason::ChangesAscii:
        return text::kCodePageChangesAscii;
    }
    return text::kCodePageUnknown;
}

} // namespace

QString MachineRefusalText(const platform::MachineRefusal& refusal, CTableFile& languageTable)
{
    if (!refusal.codePage) return platform::ToQString(refusal.message);
    const platform::CodePageRefusal& page = *refusal.codePage;
    const auto language = [&languageTable](int number) {
        return dialogs::LanguageQText(languageTable, number);
    };
    return platform::FillPlaceholders(
        language(text::kCodePageRefused),
        {platform::ToQString(page.value), platform::ToQString(page.valueName), language(ReasonText(page.reason))});
}

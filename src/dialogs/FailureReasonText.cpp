#include "FailureReasonText.h"
#include "LanguageQText.h"

#include "language/TextIds.h"
#include "ops/FolderWalk.h"
#include "ops/TagChange.h"
#include "platform/QtText.h"

#include <array>
#include <cstring>
#include <string_view>
#include <utility>

namespace {

constexpr std::array<std::pair<std::string_view, int>, 6> kReasonTexts = {{
    {kCannotOpenReason, text::kCannotOpen},
    {kCannotWriteReason, text::kCannotWrite},
    {kChangedMeanwhileReason, text::kChangedMeanwhile},
    {kLinkOutsideReason, text::kLinkOutside},
    {kUncarriedReason, text::kNameUnaddressable},
    {kFolderUnreadableReason, text::kFolderUnreadable},
}};

} // namespace

QString FailureReasonText(CTableFile& languageTable, const FileOutcome& outcome)
{
    const auto found =
        std::ranges::find(kReasonTexts, std::string_view(outcome.reason), &std::pair<std::string_view, int>::first);
    QString text = found == kReasonTexts.end() ? platform::ToQString(outcome.reason)
                                               : dialogs::LanguageQText(languageTable, found->second);
    if (outcome.error > 0) text += ": " + QString::fromUtf8(std::strerror(outcome.error));
    return text;
}

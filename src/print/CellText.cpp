#include "CellText.h"

#include <algorithm>

namespace {
constexpr std::string_view kEllipsis = "...";
constexpr std::size_t kCharsPerPass = 4;
} // namespace

std::string FitCellText(std::string text, double room, const std::function<double(std::string_view)>& widthOf)
{
    if (widthOf(text) <= room) return text;
    // Without this the loop below would keep turning "..." into "..." forever.
    if (widthOf(kEllipsis) > room) return {};
    while (widthOf(text) > room) {
        text.resize(text.size() - std::min(kCharsPerPass, text.size()));
        text += kEllipsis;
    }
    return text;
}

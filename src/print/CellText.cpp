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
        std::size_t size = text.size();
        for (std::size_t chars = 0; chars < kCharsPerPass && size > 0; ++chars) {
            --size;
            // A character of UTF-8 goes whole: its continuation bytes are 10xxxxxx.
            while (size > 0 && (static_cast<unsigned char>(text[size]) & 0xC0) == 0x80)
                --size;
        }
        text.resize(size);
        text += kEllipsis;
    }
    return text;
}

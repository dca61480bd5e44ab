#include "FormatFileSize.h"

#include <charconv>

namespace {

constexpr std::uint64_t kKilo = 1024;

// Two decimals as printf rounds them, without its locale look-ups: this runs
// once per listed file.
std::string Format(double value, const char* unit)
{
    // Whole numbers, every kilobyte size among them, need no rounding.
    if (value < 1e15 && value == static_cast<double>(static_cast<std::uint64_t>(value)))
        return std::to_string(static_cast<std::uint64_t>(value)) + ".00" + unit;
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    return std::string(text, result.ptr) + unit;
}

} // namespace

std::string FormatFileSize(std::uint64_t bytes)
{
    if (bytes == 0) return {};
    if (bytes < kKilo) return std::to_string(bytes) + " Byte";
    // Whole kilobytes first, as the listing always showed them.
    const std::uint64_t wholeKilo = bytes / kKilo;
    const auto kilo = static_cast<double>(wholeKilo);
    if (kilo / kKilo < 1) return Format(kilo, " KB");
    const double mega = kilo / kKilo;
    if (mega / kKilo < 1) return Format(mega, " MB");
    return Format(mega / kKilo, " GB");
}

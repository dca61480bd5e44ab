#include "FormatFileSize.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

namespace {

constexpr std::uint64_t kKilo = 1024;

// Two decimals as printf rounds them, without its locale look-ups: this runs
// once per listed file. The text is put together in place, one string made.
std::string Format(double value, std::string_view unit)
{
    std::array<char, 64> text{};
    char* const last = text.data() + text.size();
    char* end = nullptr;
    // Whole numbers, every kilobyte size among them, need no rounding.
    if (value < 1e15 && value == static_cast<double>(static_cast<std::uint64_t>(value))) {
        end = std::to_chars(text.data(), last, static_cast<std::uint64_t>(value)).ptr;
        end = std::ranges::copy(std::string_view(".00"), end).out;
    } else {
        end = std::to_chars(text.data(), last, value, std::chars_format::fixed, 2).ptr;
    }
    end = std::ranges::copy(unit, end).out;
    return std::string(text.data(), end);
}

std::string FormatBytes(std::uint64_t bytes)
{
    std::array<char, 32> text{};
    char* end = std::to_chars(text.data(), text.data() + text.size(), bytes).ptr;
    end = std::ranges::copy(std::string_view(" Byte"), end).out;
    return std::string(text.data(), end);
}

} // namespace

std::string FormatFileSize(std::uint64_t bytes)
{
    if (bytes == 0) return {};
    if (bytes < kKilo) return FormatBytes(bytes);
    // Whole kilobytes first, as the listing always showed them.
    const std::uint64_t wholeKilo = bytes / kKilo;
    const auto kilo = static_cast<double>(wholeKilo);
    if (kilo / kKilo < 1) return Format(kilo, " KB");
    const double mega = kilo / kKilo;
    if (mega / kKilo < 1) return Format(mega, " MB");
    return Format(mega / kKilo, " GB");
}

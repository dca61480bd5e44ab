#include "FormatFileSize.h"

#include <cstdio>

namespace {

constexpr std::uint64_t kKilo = 1024;

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

std::string FormatFileSize(std::uint64_t bytes)
{
    if (bytes == 0) return {};
    if (bytes < kKilo) return std::to_string(bytes) + " Byte";
    // Whole kilobytes first, as the listing always showed them.
    const double kilo = static_cast<double>(bytes / kKilo);
    if (kilo / kKilo < 1) return Format("%.2f KB", kilo);
    const double mega = kilo / kKilo;
    if (mega / kKilo < 1) return Format("%.2f MB", mega);
    return Format("%.2f GB", mega / kKilo);
}

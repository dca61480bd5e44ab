#include "ops/FormatFileSize.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

namespace {

TEST(FormatFileSize, ThresholdsAndRounding)
{
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, ""},
        {1, "1 Byte"},
        {1023, "1023 Byte"},
        {1024, "1.00 KB"},
        {1536, "1.00 KB"},
        {1048575, "1023.00 KB"},
        {1048576, "1.00 MB"},
        {3500000, "3.34 MB"},
        {1179648, "1.12 MB"}, // exactly 1.125: a tie goes to the even digit
        {1073741823, "1024.00 MB"},
        {1073741824, "1.00 GB"},
        {1000000000000, "931.32 GB"},
        {5368709120, "5.00 GB"},
        {999999999999999, "931322.57 GB"},
        {UINT64_MAX, "17179869184.00 GB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FormatFileSize(bytes), text) << bytes;
}

TEST(FormatFileSize, DecimalsRoundAsPrintfDoes)
{
    // Sizes from 1 MB to 1 GB in steps of 3 KB, against the C library.
    for (std::uint64_t kilo = 1024; kilo < std::uint64_t{1024} * 1024; kilo += 3) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "%.2f MB", static_cast<double>(kilo) / 1024);
        ASSERT_EQ(FormatFileSize(kilo * 1024), expected) << kilo;
    }
}

TEST(FormatFileSize, TwoHalvesMakeOne64BitCount)
{
    EXPECT_EQ(FormatFileSize(std::uint32_t{0}, std::uint32_t{1}), "4.00 GB");
    EXPECT_EQ(FormatFileSize(std::uint32_t{1023}, std::uint32_t{0}), "1023 Byte");
}

} // namespace

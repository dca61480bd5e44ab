#include "tag/GenreTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(GenreTable, Has148DistinctNamesSpelledExactly)
{
    ASSERT_EQ(kGenreNames.size(), 148u);
    EXPECT_EQ(std::set<std::string_view>(kGenreNames.begin(), kGenreNames.end()).size(), kGenreNames.size());
    const std::pair<int, const char*> anchors[] = {{0, "Blues"},         {13, "Pop"},           {14, "R & B"},
                                                   {62, "Pop / Funk"},   {78, "Rock'n'Roll"},   {81, "Folk / Rock"},
                                                   {117, "Power Balad"}, {118, "Rythmic Soul"}, {147, "Synth Pop"}};
    for (const auto& [number, name] : anchors) {
        SCOPED_TRACE(number);
        EXPECT_EQ(kGenreNames[static_cast<std::size_t>(number)], name);
        EXPECT_EQ(GenreName(static_cast<unsigned char>(number)), name);
        EXPECT_EQ(GenreNumber(name), number);
    }
}

TEST(GenreTable, NumberMatchesExactlyAndCaseSensitively)
{
    for (const char* name : {"pop", "", "Pop ", " Pop", "R&B", "Synth pop", "Rock'n'roll"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(GenreNumber(name), std::nullopt);
    }
}

TEST(GenreTable, EveryNameMapsBackToItsNumber)
{
    for (std::size_t number = 0; number < kGenreCount; ++number) {
        SCOPED_TRACE(number);
        EXPECT_EQ(GenreNumber(kGenreNames[number]), number);
    }
}

TEST(GenreTable, NumbersPastTheTableHaveNoName)
{
    for (const int number : {148, 200, 254, 255})
        EXPECT_EQ(GenreName(static_cast<unsigned char>(number)), "") << number;
}

#include "print/CellText.h"

#include <gtest/gtest.h>

namespace {

// Every character ten units wide keeps the expected results readable.
double TenPerChar(std::string_view text)
{
    return 10.0 * static_cast<double>(text.size());
}

struct FitCase {
    const char* text;
    double room;
    const char* expected;
};

TEST(FitCellText, ShortensByOneCharacterPerPassUntilItFits)
{
    const FitCase cases[] = {
        {"Short", 50, "Short"},      // fits exactly: unchanged
        {"ABCDEFGH", 79, "ABCD..."}, // first pass: four characters give way to "..."
        {"ABCDEFGH", 60, "ABC..."},  // each further pass drops one more
        {"ABCDEFGH", 40, "A..."},
        {"ABCDEFGH", 30, "..."}, // nothing of the text left, the dots fit
        {"ab", 20, "ab"},        // fits although "..." would not
        {"abcd", 35, "..."},     // four characters or fewer: all give way
        {"ABCDEFGH", 29, ""},    // narrower than "...": the cell stays empty
        {"ABCDEFGH", 0, ""},
        {"ABCDEFGH", -15, ""}, // a column narrower than the gap itself
        {"", -15, ""},
        {"", 0, ""},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " in " + std::to_string(c.room));
        EXPECT_EQ(FitCellText(c.text, c.room, TenPerChar), c.expected);
    }
}

TEST(FitCellText, MeasuresWidthsRatherThanCountingCharacters)
{
    // "W" is four times as wide as the other letters.
    const auto width = [](std::string_view text) {
        double sum = 0;
        for (char c : text)
            sum += c == 'W' ? 20.0 : 5.0;
        return sum;
    };
    EXPECT_EQ(FitCellText("iiiiiiii", 40, width), "iiiiiiii");
    EXPECT_EQ(FitCellText("WWWWWWWW", 40, width), "W...");
}

} // namespace

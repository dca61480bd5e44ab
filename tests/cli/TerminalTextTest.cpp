// Terminal text: control characters escaped, everything else as it stands,
// whether it comes as UTF-8 or as code-page text converted on the way.
#include "cli/CliOutput.h"
#include "cli/TerminalCodePage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Printable ASCII takes a quick path; these cases sit on its edges: the
// bytes just inside and outside it, and runs of it against other characters.
TEST(TerminalText, EscapesControlsAtTheEdgesOfPrintableRuns)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"", ""},
        {"plain text ~", "plain text ~"},
        {" ", " "},
        {"\x1f", "\\x1f"},
        {"~\x7f~", "~\\x7f~"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"tab\there\r\n", R"(tab\there\r\n)"},
        {"ctl\x1b[31m.mp3", "ctl\\x1b[31m.mp3"},
        {"\x1b", "\\x1b"},
        {"Caf\xC3\xA9 au lait", "Caf\xC3\xA9 au lait"},                   // two-byte character between runs
        {"\xE6\x97\xA5\xE6\x9C\xAC.mp3", "\xE6\x97\xA5\xE6\x9C\xAC.mp3"}, // CJK, then ASCII
        {"\xF0\x9F\x8E\xB5", "\xF0\x9F\x8E\xB5"},                         // emoji alone
        {"x\xC2\x85y", "x\\xc2\\x85y"},                                   // C1 as UTF-8
        {"\xC2\x9F\xC2\xA0", "\\xc2\\x9f\xC2\xA0"},                       // last C1, first character past it
        {"x\x85y", "x\\x85y"},                                            // a stray byte in the C1 range
        {"x\xFF\xFEy", "x\xFF\xFEy"},                                     // stray bytes above it pass
        {"end\xE6\x97", "end\xE6\\x97"},                                  // a sequence cut short
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(TerminalText(c.in), c.out);
        std::string out = "kept\t";
        AppendTerminalText(out, c.in);
        EXPECT_EQ(out, "kept\t" + c.out);
    }
}

// The straight path from a code page agrees with the two steps it saves
// (the page's UTF-8, then TerminalText) for every byte, alone and beside
// every other byte, on pages that use 0x80 to 0x9F differently.
TEST(TerminalCodePage, AgreesWithConvertingThenEscaping)
{
    for (const int number : {1252, 1251, 1253, 437, 28591}) {
        SCOPED_TRACE(number);
        const platform::CodePage page(number);
        const CTerminalCodePage terminal(page);
        const auto expect = [&](const std::string& system) {
            std::string out = "kept";
            terminal.Append(out, system);
            return out == "kept" + TerminalText(page.ToUtf8(system));
        };
        int wrong = 0;
        for (unsigned first = 0; first < 256; ++first)
            for (unsigned second = 0; second < 256; ++second) {
                const std::string pair{static_cast<char>(first), static_cast<char>(second)};
                if (!expect(pair) || (second == 0 && !expect(pair.substr(0, 1)))) ++wrong;
            }
        EXPECT_EQ(wrong, 0);
        for (const std::string text : {"", "Mot\xF6rhead", "benchmark \xA9", "T\x1b[2J", "c\nomm", "\x85\x80\x81\x9F",
                                       "\xFF plain run after a high byte \x7F", "Al\x85 bum"})
            EXPECT_TRUE(expect(text)) << text;
    }
}

TEST(TerminalCodePage, CellsFollowTabs)
{
    const platform::CodePage page(1252);
    const CTerminalCodePage terminal(page);
    const std::vector<std::string_view> cells{"3.00 KB", "", "Bj\xF6rk", "a\tb", "\x81"};
    std::string out = "name";
    terminal.AppendCells(out, cells);
    EXPECT_EQ(out, "name\t3.00 KB\t\tBj\xC3\xB6rk\ta\\tb\t\\xc2\\x81");
}

} // namespace

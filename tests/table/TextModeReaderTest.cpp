#include "table/TextModeReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Read {
    std::size_t buffer;
    bool skipAfter = false;
};

std::vector<std::string> ReadAll(const std::string& bytes, const std::vector<Read>& reads)
{
    table::CTextModeReader reader(bytes);
    std::vector<std::string> lines;
    std::string line;
    for (const Read& read : reads) {
        if (!reader.GetLine(read.buffer, line)) {
            lines.emplace_back("<end>");
            continue;
        }
        lines.push_back(line);
        if (read.skipAfter) reader.SkipRestOfLine();
    }
    return lines;
}

} // namespace

// fgets in text mode: CR LF becomes LF, a line ends after its LF, a full
// buffer cuts it, and the caller sees up to the first zero byte.
TEST(TextModeReader, ReadsAsFgetsInTextMode)
{
    const struct {
        const char* label;
        std::string bytes;
        std::vector<Read> reads;
        std::vector<std::string> lines;
    } cases[] = {
        {"lines", "ab\r\ncd\n", {{10}, {10}, {10}}, {"ab\n", "cd\n", "<end>"}},
        {"cut", "abcdef\n", {{3}, {3}, {3}, {3}}, {"ab", "cd", "ef", "\n"}},
        {"skip", "abcdef\nxy\n", {{3, true}, {10}}, {"ab", "xy\n"}},
        {"skipAtLineEnd", "ab\nxy\n", {{10, true}, {10}}, {"ab\n", "xy\n"}},
        {"lastLineWithoutEnd", "ab\ncd", {{10}, {10}, {10}}, {"ab\n", "cd", "<end>"}},
        {"loneCr", "a\rb\r", {{10}}, {"a\rb\r"}},
        {"zeroByte", std::string("a\0b\nc", 5), {{10}, {10}}, {"a", "c"}},
        {"tinyBuffer", "ab", {{1}, {0}, {2}}, {"<end>", "<end>", "a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(ReadAll(c.bytes, c.reads), c.lines);
    }
}

// One huge line read in short pieces: 50 MB in 1000-byte pieces is 50,000
// reads, which a search to the end of the text on every read would turn into
// hours, far past the test run's time limit; a linear reader takes moments.
TEST(TextModeReader, AHugeLineReadsInLinearTime)
{
    constexpr std::size_t kSize = 50u << 20;
    const std::string text = std::string(kSize, 'x') + "\nlast\n";
    table::CTextModeReader reader(text);
    std::string line;
    std::size_t total = 0, pieces = 0;
    while (reader.GetLine(1001, line)) {
        total += line.size();
        ++pieces;
    }
    EXPECT_EQ(total, text.size());
    EXPECT_EQ(line, "last\n");
    EXPECT_EQ(pieces, kSize / 1000 + 2);
}

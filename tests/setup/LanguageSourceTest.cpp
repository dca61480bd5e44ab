#include "setup/LanguageSource.h"

#include "language/TextIds.h"
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

std::string ReadSource(const std::string& language)
{
    std::ifstream in(std::string(SONADEX_LANG_SOURCE_DIR) + "/" + language + ".txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class LanguageSources : public ::testing::TestWithParam<const char*> {};

// Every number the program asks for has a text, and no text carries a part the program appends itself.
TEST_P(LanguageSources, HoldEveryNumberWithoutAppendedParts)
{
    std::string error;
    const auto source = setup::CLanguageSource::Parse(ReadSource(GetParam()), error);
    ASSERT_TRUE(source) << error;
    EXPECT_EQ(source->Missing(), std::vector<int>{});
    // Beside the required texts only newer ones, numbered from 100, which older copies may lack.
    for (const auto& entry : source->Entries())
        EXPECT_TRUE(entry.number >= 100 || std::ranges::count(text::kRequired, entry.number) == 1) << entry.number;
    for (const auto& entry : source->Entries()) {
        SCOPED_TRACE(entry.number);
        EXPECT_EQ(entry.text.find('\t'), std::string::npos);
        // Labels get ":" and the subfolder question gets "?" from the program.
        if (entry.number == 41 || entry.number == 45 || entry.number == 95 ||
            (entry.number >= 65 && entry.number <= 70)) {
            EXPECT_TRUE(entry.text.back() != ':' && entry.text.back() != '?');
        }
        // Texts that also caption dialogs, buttons or the file column carry no access key.
        if (entry.number == 54 || entry.number == 63 || entry.number == 76 || entry.number == 81) {
            EXPECT_EQ(entry.text.find('&'), std::string::npos);
        }
    }
    EXPECT_TRUE(source->Rows(platform::CodePage(1252), error)) << error;
}

INSTANTIATE_TEST_SUITE_P(Files, LanguageSources, ::testing::Values("Deutsch", "English"));

TEST(LanguageSource, ParseRejectsMalformedLines)
{
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"65 Interpret\n", "line 1: no tab after the number"},
        {"# comment\n\n6x\tText\n", "line 3: the number must be plain decimal digits"},
        {"065\tText\n", "line 1: the number must be plain decimal digits"},
        {"-1\tText\n", "line 1: the number must be plain decimal digits"},
        {"\tText\n", "line 1: the number must be plain decimal digits"},
        {"65\t\n", "line 1: empty text"},
        {"65\tA\tB\n", "line 1: control character in the text"},
        {"65\tText \n", "line 1: text ends in a space"},
        {"65\tA\r\n66\tB\n65\tC\n", "line 3: number repeated"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        EXPECT_FALSE(setup::CLanguageSource::Parse(c.text, error));
        EXPECT_EQ(error, c.error);
    }
}

TEST(LanguageSource, RowsArePaddedCodePageTexts)
{
    std::string error;
    const auto source = setup::CLanguageSource::Parse("0\tGröße\n4\t  Info\n", error);
    ASSERT_TRUE(source) << error;
    const auto rows = source->Rows(platform::CodePage(1252), error);
    ASSERT_TRUE(rows) << error;
    ASSERT_EQ(rows->size(), 2u);
    EXPECT_EQ((*rows)[0], "0    Gr\xF6\xDF"
                          "e" +
                              std::string(95, ' '));
    EXPECT_EQ((*rows)[1], "4      Info" + std::string(94, ' '));
}

TEST(LanguageSource, RowsRefuseWhatTheCodePageOrColumnCannotHold)
{
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"65\tΩmega\n", "text 65: a character that code page 1252 cannot hold"},
        {"65\t" + std::string(101, 'x') + "\n", "text 65: longer than its column"},
        {"123456\tx\n", "text 123456: longer than its column"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        const auto source = setup::CLanguageSource::Parse(c.text, error);
        ASSERT_TRUE(source) << error;
        EXPECT_FALSE(source->Rows(platform::CodePage(1252), error));
        EXPECT_EQ(error, c.error);
    }
}

} // namespace

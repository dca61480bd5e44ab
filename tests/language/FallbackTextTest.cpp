#include "language/FallbackText.h"

#include "language/TextIds.h"
#include "table/HexEnvelope.h"
#include "table/TableFile.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

namespace {

const std::string kSep = "\xA5QZRS\xA5";

// A language file copied before text 101 existed, holding its own 100.
std::string OlderLanguageFile()
{
    return CHexEnvelope::Wrap("Deutsch.txt", "005010\r\nID" + kSep + "Text" + kSep +
                                                 "\r\n"
                                                 "65   Interpret \r\n"
                                                 "100  Eigen     \r\n");
}

// number -> text of the readable English source that the build turns into English.qzd.
std::map<int, std::string> EnglishSource()
{
    std::map<int, std::string> rows;
    std::ifstream in(SONADEX_LANG_SOURCE "/English.txt");
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
        rows[std::stoi(line.substr(0, tab))] = line.substr(tab + 1);
    }
    return rows;
}

} // namespace

TEST(FallbackText, MissingRowGivesTheBuiltInEnglishText)
{
    TempMachine machine;
    machine.WriteFile("lang/Deutsch.qzd", OlderLanguageFile());
    CTableFile table;
    ASSERT_TRUE(table.Load(machine.Sys("lang/Deutsch.qzd")));
    EXPECT_EQ(GetTextOrBuiltIn(table, text::kUnholdableCharacter), "Eigen");
    EXPECT_EQ(GetTextOrBuiltIn(table, text::kPatternField), "Pattern");
    EXPECT_EQ(GetTextOrBuiltIn(table, text::kArtist), "Interpret");
    EXPECT_EQ(GetTextOrBuiltIn(table, 99), ""); // no row and nothing built in
}

// Every text from 100 on may be missing from an older copy: each has its
// English row built in, word for word.
TEST(FallbackText, BuiltInTextsAreTheEnglishFilesRows)
{
    const std::map<int, std::string> english = EnglishSource();
    ASSERT_TRUE(english.contains(text::kUnholdableCharacter));
    ASSERT_TRUE(english.contains(text::kPatternField));
    for (auto row = english.lower_bound(100); row != english.end(); ++row) {
        SCOPED_TRACE(row->first);
        EXPECT_EQ(BuiltInText(row->first), row->second);
    }
}

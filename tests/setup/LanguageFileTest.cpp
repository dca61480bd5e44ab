#include "language/LanguageText.h"
#include "language/TextIds.h"
#include "table/TableFile.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct BuiltCase {
    const char* language;
    int number;
    std::string text; // cp1252
};

class BuiltLanguageFile : public ::testing::TestWithParam<BuiltCase> {};

// The files that the build made with sonadex-mklang load through the table
// store and serve every text the program asks for.
TEST_P(BuiltLanguageFile, ServesEveryNumber)
{
    TempMachine machine;
    const std::string name = std::string(GetParam().language) + ".qzd";
    fs::copy_file(std::string(SONADEX_LANG_BUILD_DIR) + "/" + name, machine.Host(name));
    CTableFile table;
    ASSERT_TRUE(table.Load(machine.Sys(name)));
    for (const int number : text::kRequired) {
        SCOPED_TRACE(number);
        EXPECT_NE(GetText(table, number), "");
    }
    EXPECT_EQ(GetText(table, GetParam().number), GetParam().text);
    EXPECT_EQ(GetText(table, 98), "");
}

INSTANTIATE_TEST_SUITE_P(Texts, BuiltLanguageFile,
                         ::testing::Values(BuiltCase{"Deutsch", 65, "Interpret"},
                                           BuiltCase{"Deutsch", 64,
                                                     "Gr\xF6\xDF"
                                                     "e"},
                                           BuiltCase{"Deutsch", 87, "A&lle ausw\xE4hlen"},
                                           BuiltCase{"English", 65, "Artist"}, BuiltCase{"English", 75, "Ctrl"}));

class MakeLanguageTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("sonadex-mklang-" + std::to_string(getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    int Run(const std::string& source)
    {
        {
            std::ofstream out(folder / "src.txt", std::ios::binary);
            out << source;
        }
        const std::string command = std::string("'") + SONADEX_MKLANG + "' '" + (folder / "src.txt").string() + "' '" +
                                    (folder / "out.qzd").string() + "' 2>'" + (folder / "err.txt").string() + "'";
        return std::system(command.c_str());
    }

    fs::path folder;
};

TEST_F(MakeLanguageTool, FailsLoudlyAndWritesNothing)
{
    std::string complete;
    for (const int number : text::kRequired)
        complete += std::to_string(number) + "\tText\n";
    EXPECT_EQ(Run(complete), 0);
    EXPECT_TRUE(fs::exists(folder / "out.qzd"));
    fs::remove(folder / "out.qzd");

    const std::string bad[] = {complete + "99\t\xE2\x82\xAC and \xCE\xA9\n", complete.substr(complete.find('\n') + 1),
                               complete + "4\tAgain\n"};
    for (const std::string& source : bad) {
        SCOPED_TRACE(source.substr(0, 20));
        EXPECT_NE(Run(source), 0);
        EXPECT_FALSE(fs::exists(folder / "out.qzd"));
        EXPECT_GT(fs::file_size(folder / "err.txt"), 0u);
    }
}

} // namespace

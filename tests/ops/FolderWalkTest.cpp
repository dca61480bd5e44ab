#include "ops/FolderWalk.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

class FolderWalkTest : public ::testing::Test {
protected:
    TempMachine machine;
    std::vector<std::string> files;
    std::vector<std::string> failed;

    void Walk(const std::string& rel, bool recurse)
    {
        FolderWalkCallbacks callbacks;
        callbacks.onFile = [&](const std::string& folder, const std::string& name) {
            files.push_back(folder + "\\" + name);
        };
        callbacks.onFolderFailed = [&](const std::string& folder) { failed.push_back(folder); };
        WalkMp3Files(machine.Sys(rel), recurse, callbacks);
    }

    void Link(const std::string& target, const std::string& rel)
    {
        std::filesystem::create_directory_symlink(target, machine.Host(rel));
    }
};

TEST_F(FolderWalkTest, TakesLowerCaseMp3DepthFirstWhereMet)
{
    for (const char* name : {"m/a.mp3", "m/B.MP3", "m/c.Mp3", "m/x.txt", "m/mp3", "m/d/e.mp3", "m/y.mp3/z.mp3"})
        machine.WriteFile(name, "x");
    Walk("m", true);
    EXPECT_EQ(files, (std::vector<std::string>{"C:\\m\\a.mp3", "C:\\m\\d\\e.mp3", "C:\\m\\y.mp3\\z.mp3"}));
    EXPECT_TRUE(failed.empty());
}

TEST_F(FolderWalkTest, WithoutRecursionAFolderNamedMp3IsPassedOn)
{
    for (const char* name : {"m/a.mp3", "m/B.MP3", "m/d/e.mp3", "m/y.mp3/z.mp3"})
        machine.WriteFile(name, "x");
    Walk("m", false);
    EXPECT_EQ(files, (std::vector<std::string>{"C:\\m\\a.mp3", "C:\\m\\y.mp3"}));
}

TEST_F(FolderWalkTest, LinkCyclesEndAndNoFolderIsWalkedTwice)
{
    machine.WriteFile("m/a.mp3", "x");
    machine.WriteFile("m/sub/b.mp3", "x");
    Link("..", "m/sub/up");      // back to m: a cycle
    Link("../m", "m/sub/again"); // m once more, by another way
    Link("sub", "m/twin");       // sub a second time
    Walk("m", true);
    EXPECT_EQ(files, (std::vector<std::string>{"C:\\m\\a.mp3", "C:\\m\\sub\\b.mp3"}));
}

TEST_F(FolderWalkTest, DeepTreesAreWalked)
{
    std::string rel = "deep";
    for (int i = 0; i < 300; ++i)
        rel += "/d";
    machine.WriteFile(rel + "/end.mp3", "x");
    Walk("deep", true);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0], machine.Sys(rel + "/end.mp3"));
}

TEST_F(FolderWalkTest, MissingFolderIsReportedAndEmptyRootIsNot)
{
    Walk("missing", true);
    EXPECT_EQ(failed, std::vector<std::string>{"C:\\missing"});
    failed.clear();
    Walk("", true); // the empty drive root yields no entries at all
    EXPECT_TRUE(failed.empty());
    EXPECT_TRUE(files.empty());
}

} // namespace

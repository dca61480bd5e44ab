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

// A name with a backslash cannot be addressed; the walk names what it would
// have taken, so no file is passed by in silence, and the folder still reads.
TEST_F(FolderWalkTest, NamesWithABackslashAreNamedNotPassedBy)
{
    for (const char* name : {"m/a\\b.mp3", "m/c\\d.txt", "m/e\\f/g.mp3", "n/only\\one.mp3"})
        machine.WriteFile(name, "x");
    for (const bool recurse : {false, true}) {
        SCOPED_TRACE(recurse);
        std::vector<std::string> uncarried;
        files.clear();
        failed.clear();
        FolderWalkCallbacks callbacks;
        callbacks.onFile = [&](const std::string& folder, const std::string& name) {
            files.push_back(folder + "\\" + name);
        };
        callbacks.onFolderFailed = [&](const std::string& folder) { failed.push_back(folder); };
        callbacks.onUncarried = [&](const std::string& path) { uncarried.push_back(path); };
        WalkMp3Files(machine.Sys(""), recurse, callbacks);
        const std::vector<std::string> expected =
            recurse ? std::vector<std::string>{"C:\\m\\a\\b.mp3", "C:\\m\\e\\f", "C:\\n\\only\\one.mp3"}
                    : std::vector<std::string>{};
        EXPECT_EQ(uncarried, expected);
        EXPECT_TRUE(files.empty());
        EXPECT_TRUE(failed.empty()); // n holds nothing else, and is no unreadable folder for that
    }
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

// A walk that writes stays inside its folder: links that resolve outside it
// are named, not followed; links inside, and every link of a reading walk, are.
TEST_F(FolderWalkTest, WritingWalkNamesLinksLeadingOutside)
{
    machine.WriteFile("m/a.mp3", "x");
    machine.WriteFile("m/sub/b.mp3", "x");
    machine.WriteFile("outside/x.mp3", "x");
    machine.WriteFile("outside/dir/y.mp3", "x");
    machine.WriteFile("m2/z.mp3", "x"); // shares its start with "m"
    const auto fileLink = [&](const std::string& target, const std::string& rel) {
        std::filesystem::create_symlink(target, machine.Host(rel));
    };
    fileLink("../outside/x.mp3", "m/out.mp3");
    Link("../outside/dir", "m/outdir");
    fileLink(machine.Host("outside/x.mp3"), "m/abs.mp3");
    fileLink("../m2/z.mp3", "m/prefix.mp3");
    fileLink("nowhere.mp3", "m/dangling.mp3");
    fileLink("a.mp3", "m/in.mp3");
    Link("sub", "m/indir");
    fileLink("../../m/sub/b.mp3", "m/sub/round.mp3"); // out of m and back in: inside
    Link(machine.Host("m"), "mlink");

    const struct {
        const char* start;
        bool stayInside;
        std::vector<std::string> files, skipped;
    } cases[] = {
        {"m", false,
         {"C:\\m\\a.mp3", "C:\\m\\abs.mp3", "C:\\m\\dangling.mp3", "C:\\m\\in.mp3", "C:\\m\\indir\\b.mp3",
          "C:\\m\\indir\\round.mp3", "C:\\m\\out.mp3", "C:\\m\\outdir\\y.mp3", "C:\\m\\prefix.mp3"},
         {}},
        {"m", true,
         {"C:\\m\\a.mp3", "C:\\m\\in.mp3", "C:\\m\\indir\\b.mp3", "C:\\m\\indir\\round.mp3"},
         {"C:\\m\\abs.mp3", "C:\\m\\dangling.mp3", "C:\\m\\out.mp3", "C:\\m\\outdir", "C:\\m\\prefix.mp3"}},
        {"mlink", true, // started through a link: its target is the folder
         {"C:\\mlink\\a.mp3", "C:\\mlink\\in.mp3", "C:\\mlink\\indir\\b.mp3", "C:\\mlink\\indir\\round.mp3"},
         {"C:\\mlink\\abs.mp3", "C:\\mlink\\dangling.mp3", "C:\\mlink\\out.mp3", "C:\\mlink\\outdir",
          "C:\\mlink\\prefix.mp3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.start) + (c.stayInside ? " writing" : " reading"));
        std::vector<std::string> skipped;
        files.clear();
        FolderWalkCallbacks callbacks;
        callbacks.onFile = [&](const std::string& folder, const std::string& name) {
            files.push_back(folder + "\\" + name);
        };
        callbacks.stayInside = c.stayInside;
        callbacks.onLinkOutside = [&](const std::string& path) { skipped.push_back(path); };
        WalkMp3Files(machine.Sys(c.start), true, callbacks);
        EXPECT_EQ(files, c.files);
        EXPECT_EQ(skipped, c.skipped);
    }
}

// Folders come as the walk enters them, each before its files and
// subfolders, subfolders in the finder's order; a link cycle is entered once.
TEST_F(FolderWalkTest, NamesEachFolderAsItIsEntered)
{
    for (const char* name : {"m/b/x.mp3", "m/A/y.mp3", "m/A/c/z.mp3", "m/top.mp3"})
        machine.WriteFile(name, "x");
    Link(machine.Host("m"), "m/A/c/loop");
    for (const bool recurse : {false, true}) {
        SCOPED_TRACE(recurse);
        std::vector<std::string> order;
        FolderWalkCallbacks callbacks;
        callbacks.onFolder = [&](const std::string& folder) { order.push_back("folder " + folder); };
        callbacks.onFile = [&](const std::string& folder, const std::string& name) {
            order.push_back(folder + "\\" + name);
        };
        WalkMp3Files(machine.Sys("m"), recurse, callbacks);
        const std::vector<std::string> expected =
            recurse ? std::vector<std::string>{"folder C:\\m",       "folder C:\\m\\A", "folder C:\\m\\A\\c",
                                               "C:\\m\\A\\c\\z.mp3", "C:\\m\\A\\y.mp3", "folder C:\\m\\b",
                                               "C:\\m\\b\\x.mp3",    "C:\\m\\top.mp3"}
                    : std::vector<std::string>{"folder C:\\m", "C:\\m\\top.mp3"};
        EXPECT_EQ(order, expected);
    }
}

// With no files asked for, a walk that does not descend only names the start folder.
TEST_F(FolderWalkTest, AFoldersOnlyWalkWithoutRecursionNamesTheStart)
{
    machine.WriteFile("m/sub/a.mp3", "x");
    std::vector<std::string> folders;
    FolderWalkCallbacks callbacks;
    callbacks.onFolder = [&](const std::string& folder) { folders.push_back(folder); };
    WalkMp3Files(machine.Sys("m"), false, callbacks);
    EXPECT_EQ(folders, std::vector<std::string>{"C:\\m"});
}

// A stop ends the walk where it is: no file and no folder after it.
TEST_F(FolderWalkTest, AStopEndsTheWalkBeforeTheNextEntry)
{
    for (const char* name : {"m/a.mp3", "m/b.mp3", "m/c/d.mp3", "m/c/e.mp3", "m/f/g.mp3", "m/z.mp3"})
        machine.WriteFile(name, "x");
    const struct {
        std::size_t stopAfter;
        std::vector<std::string> order;
    } cases[] = {
        {1, {"folder C:\\m", "C:\\m\\a.mp3"}},
        {3, {"folder C:\\m", "C:\\m\\a.mp3", "C:\\m\\b.mp3", "folder C:\\m\\c", "C:\\m\\c\\d.mp3"}},
        {4, {"folder C:\\m", "C:\\m\\a.mp3", "C:\\m\\b.mp3", "folder C:\\m\\c", "C:\\m\\c\\d.mp3", "C:\\m\\c\\e.mp3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stopAfter);
        std::vector<std::string> order;
        std::size_t taken = 0;
        FolderWalkCallbacks callbacks;
        callbacks.onFolder = [&](const std::string& folder) { order.push_back("folder " + folder); };
        callbacks.onFile = [&](const std::string& folder, const std::string& name) {
            order.push_back(folder + "\\" + name);
            ++taken;
        };
        callbacks.stopped = [&] { return taken >= c.stopAfter; };
        WalkMp3Files(machine.Sys("m"), true, callbacks);
        EXPECT_EQ(order, c.order);
    }
}

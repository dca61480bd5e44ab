#include "ops/Rename.h"

#include "TagBytes.h"
#include "journal/Undo.h"
#include "ops/FolderWalk.h"
#include "TempMachine.h"
#include "platform/File.h"
#include "tag/Id3v1Tag.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <set>
#include <vector>

namespace {

using tagbytes::SilentFrames;
using tagbytes::TaggedFile;

class RenameTest : public ::testing::Test {
protected:
    TempMachine machine;
    RenameOptions options{"%1 - %2", {}, false};
    std::vector<FileOutcome> outcomes;
    OutcomeSink sink = [this](const FileOutcome& o) { outcomes.push_back(o); };

    void Tagged(const std::string& rel, const std::string& artist, const std::string& title)
    {
        machine.WriteFile(rel, TaggedFile({title, artist, "", "", "", 255}));
    }
    bool RenameOne(const std::string& folder, const std::string& name)
    {
        return RenameOneFile(machine.Sys(folder), name, options, sink);
    }
};

// Rename all reads each folder once for its case checks; the names it gave
// and freed earlier in the same run must count all the same.
TEST_F(RenameTest, TreeSeesNamesAlikeButForCaseAlsoThoseItMadeItself)
{
    Tagged("m/a.mp3", "", "z1");  // moves away and frees "a.mp3"
    Tagged("m/b.mp3", "", "A");   // takes the freed name in another case
    Tagged("m/c.mp3", "", "Z1");  // the name a.mp3 got, but for case: taken
    Tagged("m/d.mp3", "", "TAKEN");
    machine.WriteFile("m/taken.mp3", "there before the run, untagged");
    options.pattern = "%2";
    EXPECT_EQ(RenameFolderTree(machine.Sys("m"), false, options, sink), 4);
    std::vector<std::pair<std::string, std::string>> results;
    for (const FileOutcome& o : outcomes)
        results.emplace_back(o.path.substr(o.path.rfind('\\') + 1), o.ok ? "moved" : o.reason);
    EXPECT_EQ(results, (std::vector<std::pair<std::string, std::string>>{
                           {"a.mp3", "moved"}, {"b.mp3", "moved"}, {"c.mp3", "name taken"}, {"d.mp3", "name taken"}}));
    for (const char* rel : {"m/z1.mp3", "m/A.mp3", "m/c.mp3", "m/d.mp3", "m/taken.mp3"})
        EXPECT_TRUE(machine.Exists(rel)) << rel;
}

TEST_F(RenameTest, TreeCountsEveryAttemptedMove)
{
    Tagged("m/one.mp3", "A", "One");
    Tagged("m/sub/two.mp3", "A", "Two");
    Tagged("m/sub/three.mp3", "A", "Three");
    Tagged("m/sub/UPPER.MP3", "A", "Upper");
    EXPECT_EQ(RenameFolderTree(machine.Sys("m"), true, options, sink), 3);
    for (const char* rel : {"m/A - One.mp3", "m/sub/A - Two.mp3", "m/sub/A - Three.mp3", "m/sub/UPPER.MP3"})
        EXPECT_TRUE(machine.Exists(rel)) << rel;
    EXPECT_EQ(outcomes.size(), 3u);
}

TEST_F(RenameTest, WithoutRecursionTheFolderAlone)
{
    Tagged("m/one.mp3", "A", "One");
    Tagged("m/sub/two.mp3", "A", "Two");
    EXPECT_EQ(RenameFolderTree(machine.Sys("m"), false, options, sink), 1);
    EXPECT_TRUE(machine.Exists("m/sub/two.mp3"));
}

TEST_F(RenameTest, CollisionKeepsBothFilesAndStillCounts)
{
    Tagged("m/a.mp3", "A", "Same");
    Tagged("m/b.mp3", "A", "Same");
    const std::string second = machine.ReadFile("m/b.mp3");
    EXPECT_EQ(RenameFolderTree(machine.Sys("m"), false, options, sink), 2);
    EXPECT_TRUE(machine.Exists("m/A - Same.mp3"));
    EXPECT_FALSE(machine.Exists("m/a.mp3"));
    EXPECT_EQ(machine.ReadFile("m/b.mp3"), second);
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_TRUE(outcomes[0].ok);
    EXPECT_FALSE(outcomes[1].ok);
    EXPECT_EQ(outcomes[1].error, EEXIST);
    EXPECT_EQ(outcomes[1].path, "C:\\m\\b.mp3");
}

TEST_F(RenameTest, RejectedNamesAndSameNamesKeepTheFile)
{
    struct Case {
        const char* label;
        const char* artist;
        const char* file;
        bool ok;
    } const cases[] = {
        {"double quote", "Say \"hi\"", "q.mp3", false},
        {"control byte", "a\x01", "c.mp3", false},
        {"already named", "A", "A - T.mp3", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        outcomes.clear();
        Tagged(std::string("m/") + c.file, c.artist, "T");
        EXPECT_TRUE(RenameOne("m", c.file));
        EXPECT_TRUE(machine.Exists(std::string("m/") + c.file));
        ASSERT_EQ(outcomes.size(), 1u);
        EXPECT_EQ(outcomes[0].ok, c.ok);
        if (c.ok) {
            EXPECT_EQ(outcomes[0].newPath, outcomes[0].path);
        }
    }
}

TEST_F(RenameTest, EmptyFieldsOfATagAreUsedWithoutAsking)
{
    Tagged("m/a.mp3", "", "Intro");
    int asked = 0;
    options.prompt = [&](const std::string&) { return ++asked, false; };
    EXPECT_TRUE(RenameOne("m", "a.mp3"));
    EXPECT_TRUE(machine.Exists("m/ - Intro.mp3"));
    EXPECT_EQ(asked, 0);
}

TEST_F(RenameTest, UntaggedFileFollowsThePrompt)
{
    const std::string audio = SilentFrames(2);
    machine.WriteFile("m/a.mp3", audio);
    EXPECT_FALSE(RenameOne("m", "a.mp3")) << "no prompt: passed over";

    std::vector<std::string> asked;
    options.prompt = [&](const std::string& path) { return asked.push_back(path), false; };
    EXPECT_FALSE(RenameOne("m", "a.mp3")) << "closed without saving";
    EXPECT_EQ(asked, std::vector<std::string>{"C:\\m\\a.mp3"});
    EXPECT_EQ(machine.ReadFile("m/a.mp3"), audio);

    options.prompt = [&](const std::string& path) {
        CId3v1Tag tag;
        tag.Open(path);
        tag.SetArtist("New");
        tag.SetTitle("Song");
        tag.Save();
        return true;
    };
    EXPECT_TRUE(RenameOne("m", "a.mp3"));
    EXPECT_TRUE(machine.Exists("m/New - Song.mp3"));
    EXPECT_FALSE(machine.Exists("m/a.mp3"));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_TRUE(outcomes[0].ok);
}

TEST_F(RenameTest, PromptThatMovedTheFileRenamesNothing)
{
    machine.WriteFile("m/a.mp3", SilentFrames(1));
    options.prompt = [&](const std::string&) {
        machine.WriteFile("m/moved.mp3", machine.ReadFile("m/a.mp3"));
        std::remove(machine.Host("m/a.mp3").c_str());
        return true;
    };
    EXPECT_FALSE(RenameOne("m", "a.mp3"));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_FALSE(outcomes[0].ok);
    EXPECT_EQ(outcomes[0].error, ENOENT);
}

TEST_F(RenameTest, FileInUseIsReportedAndNotCounted)
{
    Tagged("m/a.mp3", "A", "T");
    platform::CFile holder;
    ASSERT_TRUE(holder.Open(machine.Sys("m/a.mp3"), platform::CFile::modeRead));
    EXPECT_EQ(RenameFolderTree(machine.Sys("m"), false, options, sink), 0);
    EXPECT_TRUE(machine.Exists("m/a.mp3"));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_FALSE(outcomes[0].ok);
    EXPECT_EQ(outcomes[0].reason, "cannot open");
}

// The new name is taken when another file of the folder has it in any
// case; a file whose new name differs from its own only in case is renamed.
// A read-only file is renamed: moving is no write of its bytes.
TEST_F(RenameTest, NameTakenWhenCaseIsIgnored)
{
    const struct {
        const char* what;
        const char* file;
        const char* other; // beside it, or ""
        bool readOnly;
        const char* result; // the file's name afterwards
        const char* reason;
    } cases[] = {
        {"other file in other case", "a.mp3", "a - t.mp3", false, "a.mp3", "name taken"},
        {"other file, other letters", "a.mp3", "\xC3\x84 - t.mp3", false, "A - T.mp3", ""}, // not "A - T": free
        {"itself in other case", "a - t.mp3", "", false, "A - T.mp3", ""},
        {"read-only file", "a.mp3", "", true, "A - T.mp3", ""},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = "m" + std::to_string(++number);
        Tagged(dir + "/" + c.file, "A", "T");
        if (*c.other) machine.WriteFile(dir + "/" + c.other, "OTHER");
        if (c.readOnly) chmod(machine.Host(dir + "/" + c.file).c_str(), 0444);
        outcomes.clear();
        EXPECT_EQ(RenameFolderTree(machine.Sys(dir), false, options, sink), 1);
        ASSERT_EQ(outcomes.size(), 1u);
        EXPECT_EQ(outcomes[0].reason, c.reason);
        EXPECT_TRUE(machine.Exists(dir + "/" + c.result));
        if (*c.other) {
            EXPECT_EQ(machine.ReadFile(dir + "/" + c.other), "OTHER");
        }
    }
}

// Rename all renames nothing through a link leading outside its folder:
// the link is named; a link inside is renamed as any file.
TEST_F(RenameTest, LinksLeadingOutsideAreSkippedAndNamed)
{
    Tagged("outside/x.mp3", "Out", "X");
    Tagged("outside/dir/y.mp3", "Out", "Y");
    Tagged("m/a.mp3", "In", "A");
    std::filesystem::create_symlink("../outside/x.mp3", machine.Host("m/file.mp3"));
    std::filesystem::create_directory_symlink("../outside/dir", machine.Host("m/folder"));
    const struct {
        bool followLinks;
        int count;
        std::vector<std::string> skipped;
        bool outsideRenamed;
    } cases[] = {{false, 1, {"C:\\m\\file.mp3", "C:\\m\\folder"}, false}, {true, 3, {}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.followLinks ? "following links" : "staying inside");
        options.followLinks = c.followLinks;
        outcomes.clear();
        EXPECT_EQ(RenameFolderTree(machine.Sys("m"), true, options, sink), c.count);
        std::vector<std::string> skipped;
        for (const FileOutcome& o : outcomes)
            if (o.reason == kLinkOutsideReason) skipped.push_back(o.path);
        EXPECT_EQ(skipped, c.skipped);
        EXPECT_TRUE(machine.Exists("m/In - A.mp3"));
        EXPECT_EQ(machine.Exists("outside/dir/Out - Y.mp3"), c.outsideRenamed);
        EXPECT_EQ(machine.Exists("m/Out - X.mp3"), c.outsideRenamed); // the link itself, renamed
        EXPECT_TRUE(machine.Exists("outside/x.mp3"));
    }
}

TEST_F(RenameTest, DryRunNamesButMovesNothing)
{
    Tagged("m/a.mp3", "A/B", "Why?");
    options.dryRun = true;
    EXPECT_EQ(RenameFolderTree(machine.Sys("m"), false, options, sink), 1);
    EXPECT_TRUE(machine.Exists("m/a.mp3"));
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_EQ(outcomes[0].newPath, "C:\\m\\A-B - Why.mp3");
}

// Rename all stopped after a few files has moved a first part of the walk
// and left the rest under their names; with a journal it names exactly the
// moves made, and undo takes back exactly those.
TEST_F(RenameTest, AStopEndsBetweenTwoFilesAndTheJournalNamesTheMovesMade)
{
    constexpr std::size_t kStopAfter = 4;
    const journal::CJournalStore store(machine.Host(".state/journal"));
    for (const bool journalled : {false, true}) {
        SCOPED_TRACE(journalled ? "journalled" : "without a journal");
        const std::string top = journalled ? "j" : "n";
        std::vector<std::string> names;
        for (int i = 10; i < 50; ++i) {
            names.push_back(std::string{'f'}.append(std::to_string(i)).append(".mp3"));
            Tagged(top + "/" + names.back(), "A", std::string("Song ").append(std::to_string(i)));
        }
        bool toldAfterStop = false, stopSaid = false;
        options.progress = [&](const WorkProgress& progress) {
            toldAfterStop = toldAfterStop || stopSaid;
            stopSaid = progress.done >= kStopAfter;
            return !stopSaid;
        };
        std::uint64_t id = 0;
        int count = 0;
        {
            const auto entry = store.Begin({"test", "rename-all", machine.Host(top), std::nullopt});
            options.journal = journalled ? entry.get() : nullptr;
            id = entry->Id();
            count = RenameFolderTree(machine.Sys(top), false, options, sink);
        }
        EXPECT_FALSE(toldAfterStop);
        if (journalled) {
            EXPECT_GE(count, static_cast<int>(kStopAfter));
            EXPECT_LT(count, 40) << "the walk went on after the stop";
        } else {
            EXPECT_EQ(count, static_cast<int>(kStopAfter)) << "one file at a time stops at once";
        }
        std::set<std::string> moved;
        for (int i = 0; i < 40; ++i) {
            SCOPED_TRACE(names[i]);
            const std::string newName = top + "/A - Song " + std::to_string(i + 10) + ".mp3";
            EXPECT_EQ(machine.Exists(newName), i < count);
            EXPECT_EQ(machine.Exists(top + "/" + names[i]), i >= count);
            if (i < count) moved.insert(machine.Host(top + "/" + names[i]));
        }
        if (!journalled) continue;
        const auto entry = store.Read(id);
        ASSERT_TRUE(entry);
        std::set<std::string> journalledMoves;
        for (const journal::Record& record : entry->records)
            journalledMoves.insert(record.path);
        EXPECT_EQ(journalledMoves, moved);
        const journal::UndoReport undo = journal::UndoEntry(store, *entry, "test", false);
        EXPECT_EQ(undo.Count(journal::UndoStep::Restored), moved.size());
        for (const std::string& name : names)
            EXPECT_TRUE(machine.Exists(top + "/" + name)) << name;
    }
}

} // namespace

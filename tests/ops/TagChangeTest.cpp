#include "ops/TagChange.h"

#include "TagBytes.h"
#include "TempMachine.h"
#include "tag/Id3v1Tag.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>

namespace {

using tagbytes::SilentFrames;
using tagbytes::TaggedFile;

bool SetArtist(CId3v1Tag& tag)
{
    tag.SetArtist("New");
    return false;
}

class TagChangeTest : public ::testing::Test {
protected:
    TempMachine machine;
    const std::string tagged = TaggedFile({"T", "Old", "", "", "", 1});
};

TEST_F(TagChangeTest, WritesTheChangeAndReportsOk)
{
    machine.WriteFile("a.mp3", tagged);
    CId3v1Tag tag;
    const TagChangeResult result = ChangeTag(tag, machine.Sys("a.mp3"), SetArtist);
    EXPECT_TRUE(result.outcome.ok);
    EXPECT_TRUE(result.opened);
    EXPECT_TRUE(result.written);
    EXPECT_EQ(result.outcome.path, machine.Sys("a.mp3"));
    EXPECT_EQ(tag.GetArtist(), "New") << "the caller's object holds what was saved";
    CId3v1Tag again;
    ASSERT_TRUE(again.Open(machine.Sys("a.mp3")));
    EXPECT_EQ(again.GetArtist(), "New");
    EXPECT_EQ(again.GetTitle(), "T");
}

// Every way a change can fail is an outcome, never silence or an exception,
// and the file keeps its bytes.
TEST_F(TagChangeTest, FailuresAreOutcomesAndLeaveTheFile)
{
    machine.WriteFile("ro.mp3", tagged);
    chmod(machine.Host("ro.mp3").c_str(), 0444); // read-only for root too on this platform
    struct Case {
        const char* name;
        bool dryRun;
        bool opened;
        int error;
        const char* reason;
    } const cases[] = {
        {"missing.mp3", false, false, ENOENT, "cannot open"},
        {"missing.mp3", true, false, ENOENT, "cannot open"},
        {"ro.mp3", false, true, EACCES, "cannot write"},
        {"ro.mp3", true, true, EACCES, "cannot write"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.dryRun ? " dry run" : ""));
        const TagChangeResult result = ChangeTag(machine.Sys(c.name), SetArtist, c.dryRun);
        EXPECT_FALSE(result.outcome.ok);
        EXPECT_EQ(result.opened, c.opened);
        EXPECT_FALSE(result.written);
        EXPECT_EQ(result.outcome.error, c.error);
        EXPECT_EQ(result.outcome.reason, c.reason);
    }
    EXPECT_EQ(machine.ReadFile("ro.mp3"), tagged);
}

TEST_F(TagChangeTest, DryRunReportsWhatTheRealRunWouldAndWritesNothing)
{
    machine.WriteFile("a.mp3", tagged);
    const TagChangeResult dry = ChangeTag(
        machine.Sys("a.mp3"),
        [](CId3v1Tag& tag) {
            tag.SetTrack(4);
            return tag.SetComment(std::string(30, 'c'));
        },
        true);
    EXPECT_TRUE(dry.outcome.ok);
    EXPECT_TRUE(dry.written);
    EXPECT_TRUE(dry.outcome.trackOverwritten) << "the edit's result is carried";
    EXPECT_EQ(machine.ReadFile("a.mp3"), tagged);
}

// Stripping a file that has no tag has nothing to write: it is not even opened for writing.
TEST_F(TagChangeTest, AnUntaggedFileLeftUntaggedIsNotWritten)
{
    const std::string audio = "ID3" + SilentFrames(2);
    machine.WriteFile("plain.mp3", audio);
    chmod(machine.Host("plain.mp3").c_str(), 0444);
    const TagChangeResult result = ChangeTag(machine.Sys("plain.mp3"), [](CId3v1Tag& tag) {
        tag.RemoveTag();
        return false;
    });
    EXPECT_TRUE(result.outcome.ok);
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.outcome.hasId3v2);
    EXPECT_EQ(machine.ReadFile("plain.mp3"), audio);
}

TEST_F(TagChangeTest, RemovingATagCutsIt)
{
    machine.WriteFile("a.mp3", tagged);
    const TagChangeResult result = ChangeTag(machine.Sys("a.mp3"), [](CId3v1Tag& tag) {
        tag.RemoveTag();
        return false;
    });
    EXPECT_TRUE(result.outcome.ok && result.written);
    EXPECT_EQ(machine.ReadFile("a.mp3"), tagged.substr(0, tagged.size() - CId3v1Tag::kRecordSize));
}

} // namespace

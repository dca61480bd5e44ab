#include "ops/TagChange.h"

#include "TagBytes.h"
#include "TempMachine.h"
#include "platform/File.h"
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
// A held change keeps the file locked from its read to its write, so no
// other opener of ours changes it in between, and lets go of it after.
TEST_F(TagChangeTest, AHeldFileStaysLockedUntilItsChangeIsFinished)
{
    machine.WriteFile("a.mp3", tagged);
    machine.WriteFile("same.mp3", tagged);
    const auto lockedOut = [&](const char* name) {
        platform::CFile other;
        return !other.Open(machine.Sys(name), platform::CFile::modeRead) && other.LastError() == EWOULDBLOCK;
    };
    const struct {
        const char* name;
        TagEdit edit;
        bool written;
    } cases[] = {{"a.mp3", SetArtist, true}, {"same.mp3", [](CId3v1Tag&) { return false; }, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CId3v1Tag tag;
        const TagChangeResult prepared = PrepareTagChange(tag, machine.Sys(c.name), c.edit, true);
        ASSERT_TRUE(prepared.opened);
        EXPECT_EQ(prepared.written, c.written);
        EXPECT_TRUE(lockedOut(c.name)) << "another opener got in between the read and the write";
        EXPECT_TRUE(FinishTagChange(tag, prepared, false, true).outcome.ok);
        EXPECT_FALSE(lockedOut(c.name)) << "the file stayed locked after its change";
    }
    CId3v1Tag again;
    ASSERT_TRUE(again.Open(machine.Sys("a.mp3")));
    EXPECT_EQ(again.GetArtist(), "New");

    // A file this user may not write is read as ever; its save says why.
    machine.WriteFile("ro.mp3", tagged);
    chmod(machine.Host("ro.mp3").c_str(), 0444);
    CId3v1Tag readOnly;
    const TagChangeResult prepared = PrepareTagChange(readOnly, machine.Sys("ro.mp3"), SetArtist, true);
    ASSERT_TRUE(prepared.opened);
    EXPECT_FALSE(lockedOut("ro.mp3"));
    const TagChangeResult finished = FinishTagChange(readOnly, prepared, false, true);
    EXPECT_FALSE(finished.outcome.ok);
    EXPECT_EQ(finished.outcome.error, EACCES);
    EXPECT_EQ(machine.ReadFile("ro.mp3"), tagged);
}

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

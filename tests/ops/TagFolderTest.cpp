#include "ops/TagFolder.h"

#include "TagBytes.h"
#include "TempMachine.h"
#include "tag/Id3v1Tag.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using tagbytes::MakeRecord;
using tagbytes::SilentFrames;
using tagbytes::TaggedFile;

class TagFolderTest : public ::testing::Test {
protected:
    TempMachine machine;

    CId3v1Tag Read(const std::string& rel)
    {
        CId3v1Tag tag;
        EXPECT_TRUE(tag.Open(machine.Sys(rel))) << rel;
        return tag;
    }
};

TEST_F(TagFolderTest, OnlyLowerCaseMp3FilesAreWritten)
{
    const std::string audio = SilentFrames(2);
    for (const char* name : {"m/a.mp3", "m/B.MP3", "m/c.txt"})
        machine.WriteFile(name, audio);
    TagFields fields;
    fields.artist = "Band";
    EXPECT_EQ(TagFolder(machine.Sys("m"), fields, false), 1);
    EXPECT_EQ(Read("m/a.mp3").GetArtist(), "Band");
    EXPECT_EQ(machine.ReadFile("m/B.MP3"), audio);
    EXPECT_EQ(machine.ReadFile("m/c.txt"), audio);
}

TEST_F(TagFolderTest, ChosenFieldsReplaceAndOthersStay)
{
    machine.WriteFile("m/a.mp3", TaggedFile({"Title", "Artist", "Album", "1999", "Comment", 17}));
    TagFields fields;
    fields.artist = ""; // chosen with an empty edit: blanked
    fields.genre = "";  // chosen without a selection: no genre
    fields.year = "ab12x";
    EXPECT_EQ(TagFolder(machine.Sys("m"), fields, false), 1);
    const CId3v1Tag tag = Read("m/a.mp3");
    EXPECT_EQ(tag.GetArtist(), "");
    EXPECT_EQ(tag.GetRecord()[127], CId3v1Tag::kNoGenre);
    EXPECT_EQ(tag.GetYear(), "ab12");
    EXPECT_EQ(tag.GetTitle(), "Title");
    EXPECT_EQ(tag.GetAlbum(), "Album");
    EXPECT_EQ(tag.GetComment(), "Comment");
}

TEST_F(TagFolderTest, NoFieldChosenLeavesEveryFileAsItWas)
{
    const std::string untagged = SilentFrames(2);
    const std::string tagged = TaggedFile({"T", "A", "", "", "", 1});
    machine.WriteFile("m/a.mp3", untagged);
    machine.WriteFile("m/b.mp3", tagged);
    EXPECT_EQ(TagFolder(machine.Sys("m"), TagFields{}, false), 2);
    EXPECT_EQ(machine.ReadFile("m/a.mp3"), untagged);
    EXPECT_EQ(machine.ReadFile("m/b.mp3"), tagged);
}

TEST_F(TagFolderTest, SubfoldersOnlyWhenAsked)
{
    for (const char* name : {"m/a.mp3", "m/s/b.mp3", "m/s/t/c.mp3"})
        machine.WriteFile(name, SilentFrames(1));
    TagFields fields;
    fields.genre = "Rock";
    EXPECT_EQ(TagFolder(machine.Sys("m"), fields, false), 1);
    EXPECT_FALSE(Read("m/s/b.mp3").HasTag());
    EXPECT_EQ(TagFolder(machine.Sys("m"), fields, true), 3);
    EXPECT_EQ(Read("m/s/t/c.mp3").GetGenre(), "Rock");
    EXPECT_EQ(TagFolder(machine.Sys("missing"), fields, true), 0);
}

// A write that fails (file size limit) is reported, the file keeps its bytes
// and the walk goes on with the next file.
TEST_F(TagFolderTest, FailedWriteIsReportedAndTheWalkGoesOn)
{
    const std::string big = SilentFrames(4);
    const std::string small = SilentFrames(1);
    machine.WriteFile("m/a.mp3", big);
    machine.WriteFile("m/b.mp3", small);
    const pid_t pid = fork();
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lim{big.size() + 10, big.size() + 10};
        if (setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(10);
        std::vector<FileOutcome> outcomes;
        TagFields fields;
        fields.title = "New";
        const int count =
            TagFolder(machine.Sys("m"), fields, false, [&](const FileOutcome& o) { outcomes.push_back(o); });
        const bool reported = outcomes.size() == 2 && !outcomes[0].ok && outcomes[0].error == EFBIG &&
                              outcomes[0].path == "C:\\m\\a.mp3" && outcomes[1].ok;
        _exit(count == 2 && reported ? 0 : 11);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(machine.ReadFile("m/a.mp3"), big);
    EXPECT_EQ(Read("m/b.mp3").GetTitle(), "New");
}

} // namespace

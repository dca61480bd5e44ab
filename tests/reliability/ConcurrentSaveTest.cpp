// Two programs that open the same file and save it in turn, as two
// multitag runs over one tree do: the file must end with one record.
#include "TempMachine.h"
#include "TestFiles.h"
#include "tag/Id3v1Tag.h"

#include <gtest/gtest.h>

namespace {

// Both read the file before either writes; the second save comes last.
std::string SaveOneAfterTheOther(const TempMachine& machine, const std::string& bytes)
{
    machine.WriteFile("race.mp3", bytes);
    CId3v1Tag first, second;
    EXPECT_TRUE(first.Open(machine.Sys("race.mp3")));
    EXPECT_TRUE(second.Open(machine.Sys("race.mp3")));
    first.SetArtist("First");
    second.SetArtist("Second");
    first.Save();
    second.Save();
    EXPECT_EQ(first.GetLastError(), 0);
    EXPECT_EQ(second.GetLastError(), 0);
    return machine.ReadFile("race.mp3");
}

TEST(ConcurrentSave, TaggedFileEndsWithTheLastWritersRecord)
{
    TempMachine machine;
    const std::string after = SaveOneAfterTheOther(machine, Tagged("race", "Old"));
    EXPECT_EQ(after, Audio("race") + Record("Title race", "Second"));
}

// Disabled: CId3v1Tag::Save (src/tag/Id3v1Tag.cpp) appends a record to a
// file that had none at Open without looking whether the file ends with a
// record by now, so a second program's save stacks a second record on top of
// the first (file length old+256). Seen with two `multitag -r` at once
// (scripts/stress/two-processes.sh). The sound behaviour: when the file has
// gained a record since Open, overwrite that one instead of appending.
TEST(ConcurrentSave, UntaggedFileGainsOneRecordNotTwo)
{
    TempMachine machine;
    const std::string after = SaveOneAfterTheOther(machine, Audio("race"));
    ASSERT_EQ(after.size(), Audio("race").size() + 128);
    EXPECT_EQ(after.substr(after.size() - 128, 3), "TAG");
    EXPECT_EQ(after.substr(33 + after.size() - 128, 6), "Second");
}

} // namespace

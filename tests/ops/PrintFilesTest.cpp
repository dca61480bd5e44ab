#include "ops/PrintFiles.h"

#include "TagBytes.h"
#include "TempMachine.h"
#include "platform/File.h"

#include <gtest/gtest.h>

namespace {

using tagbytes::SilentFrames;
using tagbytes::TaggedFile;

TEST(CollectPrintFiles, TaggedFilesAndOnRequestUntaggedOnes)
{
    TempMachine machine;
    const std::string tagged = TaggedFile({"T", "A", "", "", "", 1});
    machine.WriteFile("m/a.mp3", tagged);
    machine.WriteFile("m/b.mp3", SilentFrames(1));
    machine.WriteFile("m/C.MP3", tagged);
    machine.WriteFile("m/held.mp3", tagged);
    machine.WriteFile("m/s/d.mp3", tagged);
    machine.WriteFile("m/z.mp3", tagged);
    platform::CFile holder;
    ASSERT_TRUE(holder.Open(machine.Sys("m/held.mp3"), platform::CFile::modeRead));

    using Paths = std::vector<std::string>;
    const struct {
        bool recurse, withUntagged;
        Paths expected;
    } cases[] = {
        {false, false, {"C:\\m\\a.mp3", "C:\\m\\z.mp3"}},
        {false, true, {"C:\\m\\a.mp3", "C:\\m\\b.mp3", "C:\\m\\z.mp3"}},
        {true, false, {"C:\\m\\a.mp3", "C:\\m\\s\\d.mp3", "C:\\m\\z.mp3"}},
        {true, true, {"C:\\m\\a.mp3", "C:\\m\\b.mp3", "C:\\m\\s\\d.mp3", "C:\\m\\z.mp3"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "recurse " << c.recurse << ", untagged " << c.withUntagged);
        EXPECT_EQ(CollectPrintFiles(machine.Sys("m"), c.recurse, c.withUntagged), c.expected);
    }
}

// A stopped collection returns the files taken before the stop, in the
// walk's order, and the walk goes no further.
TEST(CollectPrintFiles, AStopReturnsTheFilesCollectedSoFar)
{
    TempMachine machine;
    for (const char* name : {"m/a.mp3", "m/b.mp3", "m/s/c.mp3", "m/s/d.mp3", "m/z.mp3"})
        machine.WriteFile(name, TaggedFile({"T", "A", "", "", "", 1}));
    const std::vector<std::string> all = CollectPrintFiles(machine.Sys("m"), true, false);
    ASSERT_EQ(all.size(), 5u);
    for (std::size_t stopAfter = 1; stopAfter < all.size(); ++stopAfter) {
        SCOPED_TRACE(stopAfter);
        std::size_t told = 0;
        const auto stop = [&](const WorkProgress& progress) {
            ++told;
            return progress.done < stopAfter;
        };
        const std::vector<std::string> part = CollectPrintFiles(machine.Sys("m"), true, false, stop);
        EXPECT_EQ(part, std::vector<std::string>(all.begin(), all.begin() + static_cast<long>(stopAfter)));
        // Once per folder entered and per file, up to the stop.
        EXPECT_EQ(told, stopAfter + (stopAfter > 2 ? 2 : 1));
    }
}

} // namespace

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

} // namespace

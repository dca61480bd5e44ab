#include "platform/SystemPathName.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(SystemPathName, SplitsAndJoinsAgain)
{
    const struct {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {
        {"C:\\Musik\\Rock\\a.mp3", "C:\\Musik\\Rock", "a.mp3"},
        {"C:\\a.mp3", "C:", "a.mp3"}, // a drive's root is its letter and colon
        {"H:\\Musik", "H:", "Musik"},
        {"C:a.mp3", "C:", "a.mp3"},
        {"C:", "C:", ""},
        {"\\a.mp3", "\\", "a.mp3"}, // the current drive's root
        {"a.mp3", "", "a.mp3"},
        {"C:\\a b\\x\xE9\xFF.mp3", "C:\\a b", "x\xE9\xFF.mp3"}, // a name's own bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FolderOfSystemPath(c.path), c.folder);
        EXPECT_EQ(NameOfSystemPath(c.path), c.name);
        // A drive-relative "C:a.mp3" joins again as "C:\a.mp3", the only form the system writes.
        const std::string joined = JoinSystemPath(FolderOfSystemPath(c.path), NameOfSystemPath(c.path));
        if (*c.name) {
            EXPECT_EQ(joined, std::string_view(c.path) == "C:a.mp3" ? "C:\\a.mp3" : c.path);
        }
    }
}

TEST(SystemPathName, JoinAddsOneBackslashWhereNeeded)
{
    EXPECT_EQ(JoinSystemPath("C:\\Musik", "a.mp3"), "C:\\Musik\\a.mp3");
    EXPECT_EQ(JoinSystemPath("C:\\Musik\\", "a.mp3"), "C:\\Musik\\a.mp3");
    EXPECT_EQ(JoinSystemPath("C:", "a.mp3"), "C:\\a.mp3");
    EXPECT_EQ(JoinSystemPath("", "a.mp3"), "a.mp3");
}

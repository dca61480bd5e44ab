#include "platform/FileOps.h"
#include "platform/Machine.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

using namespace platform;

namespace {

class FileOpsTest : public testing::Test {
protected:
    TempMachine m_machine;
};

} // namespace

TEST_F(FileOpsTest, MoveRenamesAndMovesBetweenFolders)
{
    m_machine.WriteFile("a.mp3", "A");
    m_machine.MakeDir("Sub");
    ASSERT_TRUE(MoveFileA(m_machine.Sys("a.mp3"), m_machine.Sys("Sub/Artist - Title.mp3")));
    EXPECT_FALSE(m_machine.Exists("a.mp3"));
    EXPECT_EQ(m_machine.ReadFile("Sub/Artist - Title.mp3"), "A");
}

TEST_F(FileOpsTest, MoveNeverOverwrites)
{
    m_machine.WriteFile("a.mp3", "A");
    m_machine.WriteFile("b.mp3", "B");
    EXPECT_FALSE(MoveFileA(m_machine.Sys("a.mp3"), m_machine.Sys("b.mp3")));
    EXPECT_EQ(GetLastError(), EEXIST);
    EXPECT_EQ(m_machine.ReadFile("a.mp3"), "A");
    EXPECT_EQ(m_machine.ReadFile("b.mp3"), "B");
}

TEST_F(FileOpsTest, MoveToANameWindowsRejectsMovesNothing)
{
    m_machine.WriteFile("a.mp3", "A");
    for (const char* bad : {"<", ">", ":", "\"", "/", "|", "?", "*", "\x01", "\x1F", "\t"}) {
        const std::string name = std::string("x") + bad + "y.mp3";
        SCOPED_TRACE(name);
        SetLastError(0);
        EXPECT_FALSE(MoveFileA(m_machine.Sys("a.mp3"), "C:\\" + name));
        EXPECT_EQ(GetLastError(), EINVAL);
    }
    for (const char* bad : {"C:\\", "C:\\.", "C:\\.."}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(MoveFileA(m_machine.Sys("a.mp3"), bad));
    }
    EXPECT_EQ(m_machine.ReadFile("a.mp3"), "A");
}

TEST_F(FileOpsTest, CaseOnlyRenameWorks)
{
    m_machine.WriteFile("song.mp3", "S");
    ASSERT_TRUE(MoveFileA(m_machine.Sys("song.mp3"), m_machine.Sys("SONG.mp3")));
    EXPECT_FALSE(m_machine.Exists("song.mp3"));
    EXPECT_EQ(m_machine.ReadFile("SONG.mp3"), "S");
}

TEST_F(FileOpsTest, MoveOfAMissingFileOrUnmappedDriveFails)
{
    EXPECT_FALSE(MoveFileA(m_machine.Sys("none.mp3"), m_machine.Sys("x.mp3")));
    EXPECT_EQ(GetLastError(), ENOENT);
    m_machine.WriteFile("a.mp3", "A");
    EXPECT_FALSE(MoveFileA(m_machine.Sys("a.mp3"), "Q:\\x.mp3"));
    EXPECT_FALSE(MoveFileA(m_machine.Sys("a.mp3"), "C:\\..\\x.mp3"));
    EXPECT_EQ(m_machine.ReadFile("a.mp3"), "A");
}

TEST_F(FileOpsTest, LinkFallbackMovesAndNeverOverwrites)
{
    m_machine.WriteFile("a.mp3", "A");
    m_machine.WriteFile("b.mp3", "B");
    EXPECT_EQ(LinkThenUnlink(m_machine.Host("a.mp3"), m_machine.Host("b.mp3")), EEXIST);
    EXPECT_EQ(m_machine.ReadFile("a.mp3"), "A");
    EXPECT_EQ(m_machine.ReadFile("b.mp3"), "B");
    EXPECT_EQ(LinkThenUnlink(m_machine.Host("a.mp3"), m_machine.Host("c.mp3")), 0);
    EXPECT_FALSE(m_machine.Exists("a.mp3"));
    EXPECT_EQ(m_machine.ReadFile("c.mp3"), "A");
    EXPECT_EQ(LinkThenUnlink(m_machine.Host("none.mp3"), m_machine.Host("d.mp3")), ENOENT);
}

TEST_F(FileOpsTest, DeleteRemovesFilesButNeverFolders)
{
    m_machine.WriteFile("a.mp3", "A");
    m_machine.MakeDir("Empty");
    EXPECT_TRUE(DeleteFileA(m_machine.Sys("a.mp3")));
    EXPECT_FALSE(m_machine.Exists("a.mp3"));
    EXPECT_FALSE(DeleteFileA(m_machine.Sys("Empty")));
    EXPECT_EQ(GetLastError(), EISDIR);
    EXPECT_TRUE(m_machine.Exists("Empty"));
    EXPECT_FALSE(DeleteFileA(m_machine.Sys("a.mp3")));
    EXPECT_EQ(GetLastError(), ENOENT);
    EXPECT_FALSE(DeleteFileA("Q:\\a.mp3"));
}

TEST_F(FileOpsTest, DriveQueriesFollowTheDriveTable)
{
    InstallMachine(Machine{CodePage(1252), DriveTable({{'C', m_machine.Root(), "Musik \xC3\x84"},
                                                       {'N', m_machine.Root() + "/gone", "x"}})});
    EXPECT_NE(GetDriveTypeA("C:\\"), DriveType::NoRootDir);
    EXPECT_EQ(GetDriveTypeA("N:\\"), DriveType::NoRootDir);
    EXPECT_EQ(GetDriveTypeA("Q:\\"), DriveType::NoRootDir);
    EXPECT_EQ(GetDriveTypeA("nonsense"), DriveType::NoRootDir);
    std::string label;
    ASSERT_TRUE(GetVolumeInformationA("c:\\", label));
    EXPECT_EQ(label, "Musik \xC4"); // the host's UTF-8 label as a system string
    EXPECT_FALSE(GetVolumeInformationA("N:\\", label));
    EXPECT_FALSE(GetVolumeInformationA("Q:\\", label));
}

TEST(LastError, IsKeptPerThread)
{
    SetLastError(EEXIST);
    int seen = -1;
    std::thread([&] { seen = GetLastError(); }).join();
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(GetLastError(), EEXIST);
}

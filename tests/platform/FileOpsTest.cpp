#include "platform/FileOps.h"
#include "platform/Machine.h"

#include "ChildProcess.h"
#include "TempMachine.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <thread>
#include <vector>

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

// The system's file systems ignore case: a name that matches another entry
// of the target folder when case is ignored is taken; the file's own name in
// another case is not. MoveCheck tells beforehand what the move then does.
TEST_F(FileOpsTest, TargetTakenWhenCaseIsIgnored)
{
    const struct {
        const char* what;
        std::vector<const char*> others; // files beside "from" (rel. paths in the case's folder)
        const char* from;
        const char* to;
        int error;
    } cases[] = {
        {"another file in other case", {"B.mp3"}, "a.mp3", "b.mp3", EEXIST},
        {"another file exactly", {"B.mp3"}, "a.mp3", "B.mp3", EEXIST},
        {"case-only rename of itself", {"B.mp3"}, "a.mp3", "A.mp3", 0},
        {"onto its own name", {"B.mp3"}, "a.mp3", "a.mp3", 0},
        {"a free name", {"B.mp3"}, "a.mp3", "c.mp3", 0},
        {"\xC3\x84 taken by \xC3\xA4", {"\xC3\xA4.mp3"}, "a.mp3", "\xC3\x84.mp3", EEXIST},
        {"\xC3\x84 to \xC3\xA4 of itself", {}, "\xC3\x84.mp3", "\xC3\xA4.mp3", 0},
        {"final sigma taken by capital", {"\xCE\xA3.mp3"}, "a.mp3", "\xCF\x82.mp3", EEXIST},
        {"small sigma taken by final", {"\xCF\x82.mp3"}, "a.mp3", "\xCF\x83.mp3", EEXIST},
        {"long s taken by s", {"s.mp3"}, "a.mp3", "\xC5\xBF.mp3", EEXIST},
        {"invalid bytes do not fold", {"\xE9.mp3"}, "a.mp3", "\xC9.mp3", 0},
        {"a folder in other case", {"SUB/x"}, "a.mp3", "sub", EEXIST},
        {"into another folder", {"Sub/B.mp3"}, "a.mp3", "Sub/b.mp3", EEXIST},
        {"into another folder, own case", {"Sub/x.mp3"}, "a.mp3", "Sub/A.mp3", 0},
        {"no such file", {"B.mp3"}, "none.mp3", "c.mp3", ENOENT},
        {"a name Windows rejects", {}, "a.mp3", "a?.mp3", EINVAL},
        {"no target folder", {}, "a.mp3", "None/a.mp3", ENOENT},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = "case" + std::to_string(++number) + "/";
        m_machine.MakeDir(dir);
        if (std::string(c.from) != "none.mp3") m_machine.WriteFile(dir + c.from, "FROM");
        for (const char* other : c.others)
            m_machine.WriteFile(dir + other, "OTHER");
        std::string to = c.to;
        std::replace(to.begin(), to.end(), '/', '\\');
        const std::string from = m_machine.Sys(dir + c.from), target = m_machine.Sys(dir.substr(0, dir.size() - 1)) + "\\" + to;

        EXPECT_EQ(MoveCheck(from, target), c.error);
        SetLastError(0);
        EXPECT_EQ(MoveFileA(from, target), c.error == 0);
        EXPECT_EQ(GetLastError(), c.error);
        const std::string moved = c.error == 0 ? c.to : c.from;
        if (c.error != ENOENT) {
            EXPECT_EQ(m_machine.ReadFile(dir + moved), "FROM");
        }
        for (const char* other : c.others)
            EXPECT_EQ(m_machine.ReadFile(dir + other), "OTHER") << other;
    }
}

// A file with no write bit is read-only for everyone, root too: it cannot be
// deleted, but it can be moved. Run as root and as an ordinary user.
TEST_F(FileOpsTest, ReadOnlyFileIsNotDeletedButMoves)
{
    const bool asRoot = geteuid() == 0;
    m_machine.MakeDir("ro");
    m_machine.WriteFile("ro/a.mp3", "A");
    m_machine.WriteFile("ro/b.mp3", "B");
    chmod(m_machine.Host("ro/a.mp3").c_str(), 0444);
    chmod(m_machine.Host("ro/b.mp3").c_str(), 0444);
    chmod(m_machine.Host("ro").c_str(), 0777); // the folder lets anyone remove names from it
    for (const std::filesystem::path& up :
         {std::filesystem::path(m_machine.Root()), std::filesystem::path(m_machine.Root()).parent_path()})
        chmod(up.c_str(), 0711);
    const auto check = [&](const char* moveTo) {
        if (DeleteFileA(m_machine.Sys("ro/a.mp3")) || GetLastError() != EACCES) return 1;
        if (!MoveFileA(m_machine.Sys("ro/b.mp3"), m_machine.Sys(moveTo))) return 2;
        return 0;
    };
    EXPECT_EQ(check("ro/moved.mp3"), 0);
    EXPECT_EQ(m_machine.ReadFile("ro/a.mp3"), "A");
    EXPECT_EQ(m_machine.ReadFile("ro/moved.mp3"), "B");
    if (!asRoot) return;
    m_machine.WriteFile("ro/b.mp3", "B");
    chmod(m_machine.Host("ro/b.mp3").c_str(), 0444);
    EXPECT_EQ(RunInChild([&] { return BecomeNobody() ? check("ro/moved2.mp3") : 10; }), 0) << "as nobody";
    EXPECT_EQ(m_machine.ReadFile("ro/a.mp3"), "A");
    EXPECT_EQ(m_machine.ReadFile("ro/moved2.mp3"), "B");
    // A writable file, and a link to the read-only one, are deleted as before.
    m_machine.WriteFile("ro/w.mp3", "W");
    std::filesystem::create_symlink(m_machine.Host("ro/a.mp3"), m_machine.Host("ro/link.mp3"));
    EXPECT_TRUE(DeleteFileA(m_machine.Sys("ro/w.mp3")));
    EXPECT_TRUE(DeleteFileA(m_machine.Sys("ro/link.mp3")));
    EXPECT_EQ(m_machine.ReadFile("ro/a.mp3"), "A");
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

// Delete moves the file to the machine's own home trash (TrashTest checks the layout).
TEST_F(FileOpsTest, DeleteTrashesFilesButNeverFolders)
{
    m_machine.WriteFile("a.mp3", "A");
    m_machine.MakeDir("Empty");
    EXPECT_TRUE(DeleteFileA(m_machine.Sys("a.mp3")));
    EXPECT_FALSE(m_machine.Exists("a.mp3"));
    EXPECT_TRUE(std::filesystem::exists(m_machine.DataHome() + "/Trash/files/a.mp3"));
    EXPECT_TRUE(std::filesystem::exists(m_machine.DataHome() + "/Trash/info/a.mp3.trashinfo"));
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
    EXPECT_EQ(label, "Musik \xC3\x84"); // as the host spells it, like a name
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

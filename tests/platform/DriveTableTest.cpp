#include "platform/DriveTable.h"
#include "platform/CodePage.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <optional>

using platform::CodePage;
using platform::Drive;
using platform::DriveTable;

namespace {

DriveTable SampleTable()
{
    return DriveTable({{'c', "/srv/c", ""}, {'D', "/data", ""}, {'E', "/data/music/", ""}, {'H', "/home/u", "u"}});
}

struct PathCase {
    const char* system;
    std::optional<std::string> host;
};

} // namespace

TEST(DriveTable, SortsLettersUpperCaseAndKeepsTheFirstOfADuplicate)
{
    const DriveTable table({{'e', "/e/", ""}, {'C', "/c", ""}, {'E', "/other", ""}});
    ASSERT_EQ(table.Drives().size(), 2u);
    EXPECT_EQ(table.Drives()[0].letter, 'C');
    EXPECT_EQ(table.Drives()[1].letter, 'E');
    EXPECT_EQ(table.Drives()[1].root, "/e");
    EXPECT_EQ(table.Find('e'), &table.Drives()[1]);
    EXPECT_EQ(table.Find('Q'), nullptr);
}

TEST(DriveTable, SystemPathToHost)
{
    const PathCase cases[] = {
        {"C:\\Musik\\Rock", "/srv/c/Musik/Rock"},
        {"c:\\Musik", "/srv/c/Musik"},
        {"C:", "/srv/c"},
        {"C:\\", "/srv/c"},
        {"\\Musik\\a.mp3", "/srv/c/Musik/a.mp3"}, // no drive: the current drive, C:
        {"E:\\Rock\\..\\Pop\\.\\x.mp3", "/data/music/Pop/x.mp3"},
        {"C:\\a\\\\b\\", "/srv/c/a/b"},
        {"C:\\a/b", "/srv/c/a/b"},
        {"C:\\M\xFCsik", "/srv/c/M\xC3\xBCsik"},                          // each name converted to UTF-8
        {"C:\\.hidden\\..x\\...\\a.mp3", "/srv/c/.hidden/..x/.../a.mp3"}, // names that only start with dots
        {"C:\\a\\.\\b\\..", "/srv/c/a"},
        {"C:\\..", std::nullopt},
        {"E:\\Rock\\..\\..\\secret", std::nullopt}, // would climb out of E:'s root into D:
        {"C:\\a/../../etc/passwd", std::nullopt},
        {"Z:\\x", std::nullopt},
        {"", std::nullopt},
    };
    const DriveTable table = SampleTable();
    const CodePage cp(1252);
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.system);
        EXPECT_EQ(table.ToHost(c.system, cp), c.host);
    }
    EXPECT_EQ(table.ToHost(std::string("C:\\a\0b", 6), cp), std::nullopt);
}

TEST(DriveTable, HostPathToSystemOnTheLongestRoot)
{
    const PathCase cases[] = {
        {"C:\\Musik\\Rock", "/srv/c/Musik/Rock"},
        {"C:", "/srv/c"},
        {"C:", "/srv/c/"},
        {"D:\\musicals", "/data/musicals"}, // a common prefix that is no folder of E:
        {"E:\\Pop\\x.mp3", "/data/music/Pop/x.mp3"},
        {"E:", "/data/music"},
        {"H:\\Musik", "/home/u/./Musik/"},
        {"D:\\b", "/data/music/../b"},
        {"C:\\M\xFCsik", "/srv/c/M\xC3\xBCsik"},
    };
    const DriveTable table = SampleTable();
    const CodePage cp(1252);
    for (const PathCase& c : cases) {
        SCOPED_TRACE(*c.host);
        EXPECT_EQ(table.ToSystem(*c.host, cp), std::optional<std::string>(c.system));
    }
    // A character cp1252 cannot hold becomes '?', as the ANSI functions do.
    EXPECT_EQ(table.ToSystem("/srv/c/\xD0\x96.mp3", cp), "C:\\?.mp3");
    EXPECT_EQ(table.ToSystem("/srv/c/\xD0\x96.mp3", CodePage(1251)), "C:\\\xC6.mp3");
    // A backslash in a host name cannot be carried by a system path.
    EXPECT_EQ(table.ToSystem("/srv/c/a\\b.mp3", cp), std::nullopt);
    EXPECT_EQ(table.ToSystem("/srv", cp), std::nullopt);
    EXPECT_EQ(table.ToSystem("/srvc/x", cp), std::nullopt);
    EXPECT_EQ(table.ToSystem("", cp), std::nullopt);
}

TEST(DriveTable, RootDriveHoldsEveryAbsolutePath)
{
    const DriveTable table({{'C', "/", ""}, {'H', "/home/u", "u"}});
    const CodePage cp(1252);
    EXPECT_EQ(table.ToHost("C:\\etc\\fstab", cp), "/etc/fstab");
    EXPECT_EQ(table.ToHost("C:", cp), "/");
    EXPECT_EQ(table.ToSystem("/etc/fstab", cp), "C:\\etc\\fstab");
    EXPECT_EQ(table.ToSystem("/", cp), "C:");
    EXPECT_EQ(table.ToSystem("/home/u/a.mp3", cp), "H:\\a.mp3");
    EXPECT_EQ(table.ToSystem("/home/user2", cp), "C:\\home\\user2");
}

TEST(DriveTable, FromHiveReadsMountedDevices)
{
    const std::optional<platform::CHive> hive =
        platform::CHive::Parse("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n"
                               "\"\\\\DosDevices\\\\C:\"=\"/srv/c/\"\r\n"
                               "\"\\\\dosdevices\\\\m:\"=\"/media/music\"\r\n"
                               "\"\\\\DosDevices\\\\1:\"=\"/bad/letter\"\r\n"
                               "\"\\\\DosDevices\\\\N:\"=\"relative/path\"\r\n"
                               "\"\\\\DosDevices\\\\P:\"=dword:00000001\r\n"
                               "\"\\\\??\\\\Volume{1}\"=\"/ignored\"\r\n");
    ASSERT_TRUE(hive);
    const DriveTable table = DriveTable::FromHive(*hive);
    ASSERT_EQ(table.Drives().size(), 2u);
    EXPECT_EQ(table.Drives()[0].letter, 'C');
    EXPECT_EQ(table.Drives()[0].root, "/srv/c");
    EXPECT_EQ(table.Drives()[1].letter, 'M');
    EXPECT_EQ(table.Drives()[1].root, "/media/music");
}

TEST(DriveTable, FromHiveWithoutTheKeyIsTheDefaultTable)
{
    const std::optional<platform::CHive> hive = platform::CHive::Parse("REGEDIT4\r\n");
    ASSERT_TRUE(hive);
    const DriveTable table = DriveTable::FromHive(*hive);
    ASSERT_NE(table.Find('C'), nullptr);
    EXPECT_EQ(table.Find('C')->root, "/");
}

#include "platform/DriveTable.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <optional>

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
        {"C:\\M\xC3\xBCsik", "/srv/c/M\xC3\xBCsik"},                      // names are the host's bytes
        {"C:\\M\xFCsik", "/srv/c/M\xFCsik"},                              // even where they are no UTF-8
        {"C:\\a\xCE\xA9.mp3", "/srv/c/a\xCE\xA9.mp3"},                    // never through the code page
        {"C:\\.hidden\\..x\\...\\a.mp3", "/srv/c/.hidden/..x/.../a.mp3"}, // names that only start with dots
        {"C:\\a\\.\\b\\..", "/srv/c/a"},
        {"C:\\..", std::nullopt},
        {"E:\\Rock\\..\\..\\secret", std::nullopt}, // would climb out of E:'s root into D:
        {"C:\\a/../../etc/passwd", std::nullopt},
        {"Z:\\x", std::nullopt},
        {"", std::nullopt},
    };
    const DriveTable table = SampleTable();
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.system);
        EXPECT_EQ(table.ToHost(c.system), c.host);
    }
    EXPECT_EQ(table.ToHost(std::string("C:\\a\0b", 6)), std::nullopt);
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
        {"C:\\M\xC3\xBCsik", "/srv/c/M\xC3\xBCsik"},
        {"C:\\\xD0\x96.mp3", "/srv/c/\xD0\x96.mp3"},     // a character no single-byte page holds
        {"C:\\caf\xE9.mp3", "/srv/c/caf\xE9.mp3"},         // a name that is not valid UTF-8
        {"C:\\\xF0\x9F\x8E\xB5", "/srv/c/\xF0\x9F\x8E\xB5"}, // emoji
    };
    const DriveTable table = SampleTable();
    for (const PathCase& c : cases) {
        SCOPED_TRACE(*c.host);
        EXPECT_EQ(table.ToSystem(*c.host), std::optional<std::string>(c.system));
    }
    // Two names that one code page would map alike stay two system paths.
    EXPECT_NE(table.ToSystem("/srv/c/a\xCE\xA9.mp3"), table.ToSystem("/srv/c/a?.mp3"));
    // A backslash in a host name cannot be carried by a system path.
    EXPECT_EQ(table.ToSystem("/srv/c/a\\b.mp3"), std::nullopt);
    EXPECT_EQ(table.ToSystem("/srv"), std::nullopt);
    EXPECT_EQ(table.ToSystem("/srvc/x"), std::nullopt);
    EXPECT_EQ(table.ToSystem(""), std::nullopt);
}

TEST(DriveTable, RootDriveHoldsEveryAbsolutePath)
{
    const DriveTable table({{'C', "/", ""}, {'H', "/home/u", "u"}});
    EXPECT_EQ(table.ToHost("C:\\etc\\fstab"), "/etc/fstab");
    EXPECT_EQ(table.ToHost("C:"), "/");
    EXPECT_EQ(table.ToSystem("/etc/fstab"), "C:\\etc\\fstab");
    EXPECT_EQ(table.ToSystem("/"), "C:");
    EXPECT_EQ(table.ToSystem("/home/u/a.mp3"), "H:\\a.mp3");
    EXPECT_EQ(table.ToSystem("/home/user2"), "C:\\home\\user2");
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

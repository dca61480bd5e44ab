#include "platform/Machine.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <fstream>

using platform::CurrentMachine;

TEST(Machine, InstallFromHiveReadsCodePageAndDrives)
{
    TempMachine machine;
    std::ofstream(machine.HiveFile(), std::ios::binary)
        << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\r\n"
           "\"ACP\"=\"1251\"\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n"
           "\"\\\\DosDevices\\\\M:\"=\""
        << machine.Root() << "\"\r\n";
    platform::InstallMachineFromHive();
    EXPECT_EQ(CurrentMachine().codePage.Number(), 1251);
    ASSERT_EQ(CurrentMachine().drives.Drives().size(), 1u);
    EXPECT_EQ(platform::HostPath("M:\\\xC6"), machine.Root() + "/\xD0\x96");
    EXPECT_EQ(platform::SystemPath(machine.Root() + "/\xD0\x96"), "M:\\\xC6");
    EXPECT_EQ(platform::HostPath("C:\\x"), std::nullopt);
}

TEST(Machine, UnusableCodePageValueFallsBackTo1252)
{
    for (const char* value : {"", "12x", "-5", "99999999999999999999"}) {
        SCOPED_TRACE(value);
        TempMachine machine;
        std::ofstream(machine.HiveFile(), std::ios::binary)
            << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\r\n"
               "\"ACP\"=\""
            << value << "\"\r\n";
        platform::InstallMachineFromHive();
        EXPECT_EQ(CurrentMachine().codePage.Number(), 1252);
        EXPECT_EQ(platform::ToUtf8("\x80"), "\xE2\x82\xAC");
    }
}

#include "platform/HostFile.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

TEST(HostFile, ReadsEveryByteOrNothing)
{
    const TempMachine machine;
    const std::string bytes = std::string("a\0\r\n", 4) + std::string(200000, '\xA5'); // beyond one read
    machine.WriteFile("x.bin", bytes);
    machine.WriteFile("empty", "");
    machine.MakeDir("folder");

    EXPECT_EQ(platform::ReadHostFile(machine.Host("x.bin")), bytes);
    EXPECT_EQ(platform::ReadHostFile(machine.Host("empty")), std::string());
    EXPECT_EQ(platform::ReadHostFile(machine.Host("missing")), std::nullopt);
    EXPECT_EQ(platform::ReadHostFile(machine.Host("folder")), std::nullopt);
}

// Files of /proc report no size and are read to their end all the same.
TEST(HostFile, ReadsAFileThatReportsNoSize)
{
    const std::optional<std::string> status = platform::ReadHostFile("/proc/self/status");
    ASSERT_TRUE(status.has_value());
    EXPECT_NE(status->find("\nUmask:"), std::string::npos);
}

#include "platform/FileSystemKind.h"

#include <gtest/gtest.h>

#include <filesystem>

// The test folders live on a local file system (the build's own); a network
// share is seen by hand on a FUSE mount (bench/slowfs).
TEST(FileSystemKind, LocalFoldersAndMissingPathsAreNotShares)
{
    const std::filesystem::path here = std::filesystem::current_path();
    EXPECT_FALSE(platform::IsOnNetworkFileSystem(here.string()));
    EXPECT_FALSE(platform::IsOnNetworkFileSystem("/proc/self"));
    EXPECT_FALSE(platform::IsOnNetworkFileSystem((here / "no such folder").string()));
}

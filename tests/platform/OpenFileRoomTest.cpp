#include "platform/OpenFileRoom.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

// A user whose session allows 256 descriptors by default still gets a whole
// batch of files open at once, up to what the hard limit allows.
TEST(OpenFileRoom, RaisesTheSoftLimitSoABatchOfFilesFits)
{
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    ASSERT_GE(before.rlim_max, 2048u) << "this test needs a hard limit of at least 2048 descriptors";
    rlimit low = before;
    low.rlim_cur = 256;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);

    platform::MakeRoomForOpenFiles();

    rlimit after{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &after), 0);
    EXPECT_EQ(after.rlim_cur, std::min<rlim_t>(before.rlim_max, 65536));
    EXPECT_EQ(after.rlim_max, before.rlim_max);
    std::vector<int> open;
    for (int i = 0; i < 1500; ++i) {
        const int fd = dup(STDERR_FILENO);
        if (fd < 0) break;
        open.push_back(fd);
    }
    EXPECT_EQ(open.size(), 1500u);
    for (const int fd : open)
        close(fd);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &before), 0);
}

} // namespace

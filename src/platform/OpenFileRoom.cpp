#include "OpenFileRoom.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

namespace platform {

namespace {

constexpr rlim_t kMostDescriptors = 65536;
constexpr rlim_t kTableReserved = 4096; // a batch of 1,024 files and the rest of the program

} // namespace

void MakeRoomForOpenFiles()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = std::min(limit.rlim_max, kMostDescriptors);
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    const int highest = static_cast<int>(std::min(limit.rlim_cur, kTableReserved)) - 1;
    const int reserved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, highest);
    if (reserved >= 0) close(reserved);
}

unsigned long OpenFileLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1024; // the usual default
    return limit.rlim_cur == RLIM_INFINITY ? std::numeric_limits<unsigned long>::max()
                                           : static_cast<unsigned long>(limit.rlim_cur);
}

} // namespace platform

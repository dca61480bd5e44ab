// Room for the many files a batch keeps open at once.
#pragma once

namespace platform {

// Raises the soft limit of open descriptors toward the hard one (at most
// 65,536), and grows the descriptor table now, while the program still runs
// on one thread: grown later, with threads, the kernel waits for an RCU
// grace period each time it grows. Call at start-up; failing, it leaves
// the limits as they were.
void MakeRoomForOpenFiles();

// The soft limit of open descriptors (RLIM_INFINITY as the largest value).
unsigned long OpenFileLimit();

} // namespace platform

// Independent per-item work spread over threads, for the command line's
// long walks; the window stays on its one thread and passes jobs = 1.
#pragma once

#include <cstddef>
#include <functional>

// Calls work(index, worker) once for every index below count, on up to jobs
// threads (the caller's among them); worker is below jobs and tells a call
// which thread's own objects it may use. Returns when every call has ended;
// the first exception a call throws is rethrown here, after the other
// threads have stopped taking items.
void ForEachInParallel(std::size_t count, unsigned jobs, const std::function<void(std::size_t, unsigned)>& work);

// As ForEachInParallel, starting on jobs threads; a thread whose calls wait
// on the device (two in a row took long while the thread slept) adds a
// thread, up to ioJobs, so that a cold disk or a network share gets many requests in flight
// while a warm cache keeps the few threads it needs. worker is below
// max(jobs, ioJobs), capped at kMaxIoJobs. With jobs = 1 no thread is added.
// itemsPerCall: the files one call reads, which a call may take as long
// for as one file alone before it counts as waiting.
void ForEachWaitingInParallel(std::size_t count, unsigned jobs, unsigned ioJobs,
                              const std::function<void(std::size_t, unsigned)>& work, std::size_t itemsPerCall = 1);

// Twice the machine's hardware threads, from 1 to kMaxJobs: file system
// calls wait on locks and the journal, and a spare thread per processor
// keeps the processors busy meanwhile.
unsigned DefaultJobs();
// The most threads a slow device gets: the requests it needs in flight to
// hide its latency. A network share answers each request after the
// network's round trip, and the more in flight the better; a local disk's
// queue is full at a few dozen, and more threads only cost processor time.
unsigned DefaultIoJobs(bool networkShare);

inline constexpr unsigned kMaxJobs = 64;
inline constexpr unsigned kMaxIoJobs = 256;

// The size of the next batch of a walk that journals a batch of files before
// it changes them. A stop waits for the batch in hand, whose files the
// journal already names; so while a user may stop the walk, batches start at
// one file and grow only while they end quickly, and a stop comes within
// about kBatchTime on any device. Unpaced, every batch has the largest size.
#pragma once

#include <chrono>
#include <cstddef>

class CBatchPace {
public:
    static constexpr std::chrono::milliseconds kBatchTime{100};

    CBatchPace(std::size_t largest, bool paced) : m_largest(largest), m_paced(paced), m_size(paced ? 1 : largest) {}

    std::size_t Size() const { return m_size; }
    // A batch's first file is taken ...
    void Begin();
    // ... and its last one finished: the next batch doubles or halves.
    void End();

private:
    const std::size_t m_largest;
    const bool m_paced;
    std::size_t m_size;
    std::chrono::steady_clock::time_point m_start;
};

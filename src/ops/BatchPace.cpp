#include "BatchPace.h"

#include <algorithm>

void CBatchPace::Begin()
{
    if (m_paced) m_start = std::chrono::steady_clock::now();
}

void CBatchPace::End()
{
    if (!m_paced) return;
    const auto took = std::chrono::steady_clock::now() - m_start;
    if (took < kBatchTime / 2)
        m_size = std::min(m_size * 2, m_largest);
    else if (took > kBatchTime)
        m_size = std::max<std::size_t>(m_size / 2, 1);
}

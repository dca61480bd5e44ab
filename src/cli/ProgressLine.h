// A progress line on stderr for long walks, shown only when stderr is a
// terminal, so pipes and logs get nothing of it.
#pragma once

#include <chrono>
#include <string>

class CProgressLine {
public:
    explicit CProgressLine(std::string label);
    ~CProgressLine();
    CProgressLine(const CProgressLine&) = delete;
    CProgressLine& operator=(const CProgressLine&) = delete;

    // Counts one more file; redraws at most every 100 ms.
    void Step();

private:
    void Clear();

    std::string m_label;
    bool m_enabled;
    bool m_drawn = false;
    long m_count = 0;
    std::chrono::steady_clock::time_point m_lastDraw;
};

#include "ProgressLine.h"

#include <cstdio>
#include <unistd.h>

CProgressLine::CProgressLine(std::string label)
    : m_label(std::move(label)), m_enabled(isatty(STDERR_FILENO) == 1), m_lastDraw(std::chrono::steady_clock::now())
{
}

CProgressLine::~CProgressLine()
{
    Clear();
}

void CProgressLine::Step()
{
    ++m_count;
    if (!m_enabled) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastDraw < std::chrono::milliseconds(100)) return;
    m_lastDraw = now;
    std::fprintf(stderr, "\r%s: %ld files\033[K", m_label.c_str(), m_count);
    m_drawn = true;
}

void CProgressLine::Clear()
{
    if (m_drawn) std::fputs("\r\033[K", stderr);
    m_drawn = false;
}

#include "ProgressLine.h"

#include "CliOutput.h"

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
    ShowStatus(m_label + ": " + std::to_string(m_count) + (m_count == 1 ? " file" : " files"));
    m_drawn = true;
}

void CProgressLine::Clear()
{
    if (m_drawn) ClearStatus();
    m_drawn = false;
}

#include "TextModeReader.h"

#include <algorithm>
#include <cstring>

namespace table {

CTextModeReader::CTextModeReader(const std::string& bytes)
{
    m_text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        m_text += bytes[i];
    }
}

bool CTextModeReader::GetLine(std::size_t bufferSize, std::string& line)
{
    if (bufferSize < 2 || m_pos >= m_text.size()) return false;
    const std::size_t limit = std::min(bufferSize - 1, m_text.size() - m_pos);
    const char* start = m_text.data() + m_pos;
    // Only the part the buffer can take is searched: a search to the end of
    // the text would make reading one huge line in short pieces quadratic.
    const void* lineFeed = std::memchr(start, '\n', limit);
    const std::size_t count = lineFeed ? static_cast<const char*>(lineFeed) + 1 - start : limit;
    m_pos += count;
    m_lastLineCut = m_text[m_pos - 1] != '\n' && m_pos < m_text.size();
    // What the caller sees of the buffer ends at its first zero byte.
    line.assign(start, strnlen(start, count));
    return true;
}

void CTextModeReader::SkipRestOfLine()
{
    if (!m_lastLineCut) return;
    const std::size_t lineFeed = m_text.find('\n', m_pos);
    m_pos = lineFeed == std::string::npos ? m_text.size() : lineFeed + 1;
    m_lastLineCut = false;
}

} // namespace table

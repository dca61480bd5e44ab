// Reads lines the way fgets reads a file opened in the C library's text mode
// on Windows, from bytes held in memory.
#pragma once

#include <string>

namespace table {

class CTextModeReader {
public:
    // Text mode drops the CR of every CR LF pair before anything is read.
    explicit CTextModeReader(const std::string& bytes);

    // As fgets with a buffer of bufferSize bytes: at most bufferSize - 1
    // characters, stopping after a line feed, which is kept. False at the end
    // of the text. The result is the buffer as a C string, so it ends at the
    // first zero byte read. A buffer below 2 bytes reads nothing (false), so
    // that no caller can loop without advancing.
    bool GetLine(std::size_t bufferSize, std::string& line);
    // Drops what the last GetLine left of its line because the buffer was
    // full, up to and including the line feed.
    void SkipRestOfLine();

private:
    std::string m_text;
    std::size_t m_pos = 0;
    bool m_lastLineCut = false;
};

} // namespace table

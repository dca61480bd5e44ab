// Output of sonadex-cli: stdout fully buffered (no flush per file), errors
// on stderr with the program's name, and one status line (the progress) on
// a terminal that output and errors clear before they are written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

constexpr const char* kProgramName = "sonadex-cli";

// Gives stdout a large buffer; call once before any output.
void SetUpOutput();
// On a terminal stdout is flushed after each write, so that no part of a
// row is left in the buffer under a status line.
void WriteOut(std::string_view text);
// "sonadex-cli: <message>" and a line end, on stderr, control bytes escaped.
void WriteError(std::string_view message);
// "1 file", "2 files": the count and the word that fits it.
std::string Counted(std::size_t count, std::string_view singular, std::string_view plural);
// The C library's text for an errno value.
std::string ErrorText(int error);

// True once anything was written to stdout.
bool WroteOut();
// The messages WriteError has written so far, as given.
const std::vector<std::string>& ErrorsWritten();

// The status line on stderr: drawn over itself with a carriage return, and
// cleared before any other output.
void ShowStatus(std::string_view text);
void ClearStatus();

// Text for a terminal: control characters (C0, DEL, C1, and bytes 0x80 to
// 0x9F that are not part of UTF-8) become \t, \n, \r or \xNN, so tags and
// names cannot move the cursor, retitle the window or break a row.
std::string TerminalText(std::string_view utf8);
void AppendTerminalText(std::string& out, std::string_view utf8);

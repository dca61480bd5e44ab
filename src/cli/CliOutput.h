// Output of sonadex-cli: stdout fully buffered (no flush per file), errors
// on stderr with the program's name.
#pragma once

#include <string>
#include <string_view>

constexpr const char* kProgramName = "sonadex-cli";

// Gives stdout a large buffer; call once before any output.
void SetUpOutput();
void WriteOut(std::string_view text);
// "sonadex-cli: <message>" and a line end, on stderr.
void WriteError(std::string_view message);
// The C library's text for an errno value.
std::string ErrorText(int error);

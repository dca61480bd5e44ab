// The window program's own command-line options: --help and --version
// answer on standard output and end the program before any window or
// setting is touched. Every other argument is left to Qt.
#pragma once

#include <optional>
#include <ostream>

// The exit status when the arguments ask for help or the version, else nullopt.
std::optional<int> AnswerCommandLine(int argc, const char* const argv[], std::ostream& out);

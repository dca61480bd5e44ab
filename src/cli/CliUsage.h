// --help, `help COMMAND`, --version and the usage message of bad usage.
#pragma once

#include <string>

struct CliCommand;

void PrintHelp();
// One command's synopsis, what it does, its options and examples.
void PrintCommandHelp(const CliCommand& command);
void PrintVersion();
// Names the problem and the usage line on stderr; returns exit status 2.
int UsageError(const std::string& message);

// --help, --version and the usage message of bad usage.
#pragma once

#include <string>

void PrintHelp();
void PrintVersion();
// Names the problem and the usage line on stderr; returns exit status 2.
int UsageError(const std::string& message);

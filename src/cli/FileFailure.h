// Why a file could not be read, for the message that names it.
#pragma once

#include <string>

// "cannot open: <reason>" for a file whose open failed with the errno value:
// the system's words, or what the file is when it is no regular file (a
// FIFO, a device), which the platform refuses without a word of its own.
std::string OpenFailureText(const std::string& systemPath, int error);
// Opens the file once more to learn the errno value of the failure (a file
// list row records only that it failed); "could not be opened" when it now opens.
std::string OpenFailureReason(const std::string& systemPath);

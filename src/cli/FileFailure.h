// Why a listed file could not be read, for the message that names it.
#pragma once

#include <string>

// Opens the file once more to learn the errno value of the failure (a file
// list row records only that it failed); "could not be opened" when it now opens.
std::string OpenFailureReason(const std::string& systemPath);

// print: the folder's listing into a PDF file, as the window prints it.
#pragma once

#include "CliOptions.h"

#include <optional>
#include <string>

struct PrintChoice;

// The columns of --columns ("name,size,artist,...") set in choice; the
// unknown name, or nullopt when all are known.
std::optional<std::string> ApplyColumnList(const std::string& list, PrintChoice& choice);
int RunPrint(const CliOptions& options);

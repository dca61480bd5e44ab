// One row of cells as list and show print it: text (tab-separated, control
// bytes escaped for the terminal), CSV or TSV (RFC 4180 quoting, the cells'
// bytes unchanged).
#pragma once

#include "CliOptions.h"

#include <string>
#include <string_view>
#include <vector>

// Appends the cells and the line end (CRLF for CSV, LF otherwise). Not for JSON.
void AppendRow(std::string& out, const std::vector<std::string>& cells, OutputFormat format);
// A cell quoted for CSV or TSV when it holds the separator, a quote, CR or LF.
void AppendQuotedCell(std::string& out, std::string_view cell, char separator);

// The 148 ID3v1 genre names, numbered 0 to 147.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> MakeGenreTable();

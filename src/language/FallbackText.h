// Texts newer than some language files: a file copied before a text existed
// lacks its row, and the English text built in stands in for it.
#pragma once

#include <string>

class CTableFile;

// GetText, or the built-in English text where the table has no row for number.
std::string GetTextOrBuiltIn(CTableFile& table, int number);
// The built-in English text of number; "" for a number that has none.
std::string BuiltInText(int number);

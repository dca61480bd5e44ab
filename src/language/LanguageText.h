// Captions and messages by text number from a language table.
#pragma once

#include <string>

class CTableFile;

// The Text field of the first row whose ID is number ("%d"), or "".
std::string GetText(CTableFile& table, int number);

// Reads the stored language folder and language (settings::ReadLanguageSettings)
// and loads langPath\language.qzd into table. A missing or over-long value
// counts as empty; without the maker's key nothing is loaded.
bool LoadLanguage(CTableFile& table, std::string& langPath, std::string& language);

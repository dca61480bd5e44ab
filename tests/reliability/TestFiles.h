// The bytes of test MP3 files and the hive the programs under test read.
#pragma once

#include "TempMachine.h"

#include <string>

// "SDXID" + a 16-byte name, then some audio bytes: the file is known under any name.
std::string Audio(const std::string& name);
// A 128-byte record with the title and artist, other fields spaces, genre 12.
std::string Record(const std::string& title, const std::string& artist);
// Audio(name) followed by a record titled "Title <name>".
std::string Tagged(const std::string& name, const std::string& artist);
// The hive with drive C: = the machine's root and the program's key.
void WriteProgramHive(const TempMachine& machine);

// The window's words for a machine it cannot run on.
#pragma once

#include "platform/Machine.h"

#include <QString>

class CTableFile;

// A code page refusal in the language of languageTable (texts 140 to 144,
// the built-in English where it lacks them); any other problem as given.
QString MachineRefusalText(const platform::MachineRefusal& refusal, CTableFile& languageTable);

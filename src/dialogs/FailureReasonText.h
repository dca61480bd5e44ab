// Why a walk could not change a file or folder, in the user's language.
#pragma once

#include "ops/FileOutcome.h"

#include <QString>

class CTableFile;

// The language text of the outcome's reason, with the system's words after
// it where the system gave an error; a reason without a text of its own
// stays in the core's words.
QString FailureReasonText(CTableFile& languageTable, const FileOutcome& outcome);

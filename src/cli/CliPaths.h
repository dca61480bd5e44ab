// Paths between the shell (host paths) and the core (system paths); both
// carry the names' own bytes.
#pragma once

#include <optional>
#include <string>

// A path as the shell gave it, relative or absolute, to the system path on
// the drive that holds it; nullopt when no drive holds it.
std::optional<std::string> SystemPathOfArgument(const std::string& hostArgument);
// Why a path on no drive cannot be used: the drives there are, and how to
// add one.
std::string NotOnAnyDrive();
// A system path to print: the host path (its bytes), or the system path
// itself when its drive is not mapped (which a path from
// SystemPathOfArgument never is).
std::string PrintablePath(const std::string& systemPath);
// Splits "C:\a\b.mp3" into "C:\a" and "b.mp3".
void SplitSystemPath(const std::string& systemPath, std::string& folder, std::string& name);

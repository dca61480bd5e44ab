// The machine the program runs on: its code page and its drive table.
//
// Windows keeps both as machine-wide state; so do we. They are read once at
// start (InstallMachineFromHive) and fixed for the run. Tests install their own.
#pragma once

#include "CodePage.h"
#include "DriveTable.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct Machine {
    CodePage codePage{1252};
    DriveTable drives;
};

const Machine& CurrentMachine();
void InstallMachine(Machine machine);
// Why the hive's code page value cannot be used, for a message in the
// user's language.
struct CodePageRefusal {
    enum class Reason { NotANumber, Unknown, MultiByte, ChangesAscii };
    std::string value;     // the value as the hive holds it
    std::string valueName; // "ACP"
    Reason reason = Reason::NotANumber;
};
// Why no machine was installed: a message in English (the hive's own
// problem, or a code page refusal worded by CodePageRefusalText), and the
// refusal itself where the code page was the cause.
struct MachineRefusal {
    std::string message;
    std::optional<CodePageRefusal> codePage;
};
std::string CodePageRefusalText(const CodePageRefusal& refusal);

// Reads "ACP" and the drive table from the hive file (see Registry.h).
// An "ACP" that is no single-byte page keeping ASCII (EBCDIC, multi-byte, a
// number iconv does not know, no number) is refused: nothing is installed
// and the result says why, naming the value, for the user to see.
[[nodiscard]] std::optional<MachineRefusal> InstallMachineOrRefuse();
// InstallMachineOrRefuse, with the refusal's message only.
[[nodiscard]] std::optional<std::string> InstallMachineFromHive();

// Shorthands on the current machine.
std::optional<std::string> HostPath(std::string_view systemPath);
std::optional<std::string> SystemPath(std::string_view hostPath);
std::string ToUtf8(std::string_view system);
void AppendUtf8(std::string& out, std::string_view system); // ToUtf8 onto the end of out
std::string FromUtf8(std::string_view utf8);

} // namespace platform

#include "Machine.h"

#include "Registry.h"

#include <charconv>

namespace platform {

namespace {

constexpr std::string_view kCodePageKey = "System\\CurrentControlSet\\Control\\Nls\\CodePage";
constexpr std::string_view kAnsiCodePageValue = "ACP";
constexpr int kDefaultCodePage = 1252;

Machine& MachineState()
{
    // Until a machine is installed, the program sees the host's mounts on cp1252.
    static Machine machine{CodePage(kDefaultCodePage), DriveTable::Default()};
    return machine;
}

int CodePageNumber(const CHive& hive)
{
    const std::optional<std::string> text = hive.Get(kCodePageKey, kAnsiCodePageValue);
    int number = 0;
    if (!text) return kDefaultCodePage;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
    if (error != std::errc() || end != text->data() + text->size() || number <= 0) return kDefaultCodePage;
    return number;
}

} // namespace

const Machine& CurrentMachine()
{
    return MachineState();
}

void InstallMachine(Machine machine)
{
    MachineState() = std::move(machine);
}

void InstallMachineFromHive()
{
    const CHive hive = CHive::LoadFile(HivePath());
    InstallMachine(Machine{CodePage(CodePageNumber(hive)), DriveTable::FromHive(hive)});
}

std::optional<std::string> HostPath(std::string_view systemPath)
{
    const Machine& machine = CurrentMachine();
    return machine.drives.ToHost(systemPath, machine.codePage);
}

std::optional<std::string> SystemPath(std::string_view hostPath)
{
    const Machine& machine = CurrentMachine();
    return machine.drives.ToSystem(hostPath, machine.codePage);
}

std::string ToUtf8(std::string_view system)
{
    return CurrentMachine().codePage.ToUtf8(system);
}

std::string FromUtf8(std::string_view utf8)
{
    return CurrentMachine().codePage.FromUtf8(utf8);
}

} // namespace platform

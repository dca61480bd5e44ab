#include "Machine.h"

#include "CodePageSetting.h"
#include "Registry.h"

#include <charconv>
#include <variant>

namespace platform {

namespace {

constexpr int kDefaultCodePage = 1252;

Machine& MachineState()
{
    // Until a machine is installed, the program sees the host's mounts on cp1252.
    static Machine machine{CodePage(kDefaultCodePage), DriveTable::Default()};
    return machine;
}

// The page "ACP" names, or why the machine cannot run on it. A missing value is cp1252.
std::variant<CodePage, std::string> CodePageOf(const CHive& hive)
{
    const std::optional<std::string> text = hive.Get(kCodePageKey, kAnsiCodePageValue);
    if (!text) return CodePage(kDefaultCodePage);
    int number = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
    const std::string refusal =
        "The code page \"" + *text + "\" (value \"" + std::string(kAnsiCodePageValue) + "\") cannot be used: ";
    if (error != std::errc() || end != text->data() + text->size() || number <= 0)
        return refusal + "it is not a code page number.";
    CodePage page(number);
    switch (page.Fitness()) {
    case CodePageFitness::Usable:
        return page;
    case CodePageFitness::Unknown:
        return refusal + "this system knows no such code page.";
    case CodePageFitness::MultiByte:
        return refusal + "it is a multi-byte code page; only single-byte code pages are supported.";
    case CodePageFitness::ChangesAscii:
        return refusal + "it does not keep the ASCII characters unchanged.";
    }
    return refusal;
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

std::optional<std::string> InstallMachineFromHive()
{
    CHive::Loaded loaded = CHive::Load(HivePath());
    if (!loaded.hive) return std::move(loaded.problem);
    const CHive& hive = *loaded.hive;
    std::variant<CodePage, std::string> page = CodePageOf(hive);
    if (auto* refusal = std::get_if<std::string>(&page)) return std::move(*refusal);
    InstallMachine(Machine{std::get<CodePage>(std::move(page)), DriveTable::FromHive(hive)});
    return std::nullopt;
}

std::optional<std::string> HostPath(std::string_view systemPath)
{
    return CurrentMachine().drives.ToHost(systemPath);
}

std::optional<std::string> SystemPath(std::string_view hostPath)
{
    return CurrentMachine().drives.ToSystem(hostPath);
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

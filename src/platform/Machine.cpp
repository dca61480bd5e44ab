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
std::variant<CodePage, CodePageRefusal> CodePageOf(const CHive& hive)
{
    using Reason = CodePageRefusal::Reason;
    const std::optional<std::string> text = hive.Get(kCodePageKey, kAnsiCodePageValue);
    if (!text) return CodePage(kDefaultCodePage);
    int number = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), number);
    const auto refuse = [&text](Reason reason) {
        return CodePageRefusal{*text, std::string(kAnsiCodePageValue), reason};
    };
    if (error != std::errc() || end != text->data() + text->size() || number <= 0) return refuse(Reason::NotANumber);
    CodePage page(number);
    switch (page.Fitness()) {
    case CodePageFitness::Usable:
        return page;
    case CodePageFitness::Unknown:
        return refuse(Reason::Unknown);
    case CodePageFitness::MultiByte:
        return refuse(Reason::MultiByte);
    case CodePageFitness::ChangesAscii:
        return refuse(Reason::ChangesAscii);
    }
    return refuse(Reason::Unknown);
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

std::string CodePageRefusalText(const CodePageRefusal& refusal)
{
    using Reason = CodePageRefusal::Reason;
    std::string start =
        "The code page \"" + refusal.value + "\" (value \"" + refusal.valueName + "\") cannot be used: ";
    switch (refusal.reason) {
    case Reason::NotANumber:
        return start + "it is not a code page number.";
    case Reason::Unknown:
        return start + "this system knows no such code page.";
    case Reason::MultiByte:
        return start + "it is a multi-byte code page; only single-byte code pages are supported.";
    case Reason::ChangesAscii:
        return start + "it does not keep the ASCII characters unchanged.";
    }
    return start;
}

std::optional<MachineRefusal> InstallMachineOrRefuse()
{
    CHive::Loaded loaded = CHive::Load(HivePath());
    if (!loaded.hive) return MachineRefusal{std::move(loaded.problem), std::nullopt};
    const CHive& hive = *loaded.hive;
    std::variant<CodePage, CodePageRefusal> page = CodePageOf(hive);
    if (auto* refusal = std::get_if<CodePageRefusal>(&page))
        return MachineRefusal{CodePageRefusalText(*refusal), *refusal};
    InstallMachine(Machine{std::get<CodePage>(std::move(page)), DriveTable::FromHive(hive)});
    return std::nullopt;
}

std::optional<std::string> InstallMachineFromHive()
{
    std::optional<MachineRefusal> refusal = InstallMachineOrRefuse();
    if (!refusal) return std::nullopt;
    return std::move(refusal->message);
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

void AppendUtf8(std::string& out, std::string_view system)
{
    CurrentMachine().codePage.AppendUtf8(out, system);
}

std::string FromUtf8(std::string_view utf8)
{
    return CurrentMachine().codePage.FromUtf8(utf8);
}

} // namespace platform

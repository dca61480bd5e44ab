// sonadex-cli: the window's file commands on the command line.
#include "CliCommandTable.h"
#include "CliOptions.h"
#include "CliOutput.h"
#include "CliPaths.h"
#include "CliUsage.h"
#include "PrintHelper.h"
#include "TextOptions.h"
#include "platform/File.h"
#include "platform/Machine.h"

#include <cstdio>
#include <exception>

namespace {

// Runs the command on the hive's machine; a code page the machine cannot
// use, or typed text it cannot hold, stops the run before any file is read.
int RunOnMachine(const CliOptions& options)
{
    if (const std::optional<std::string> refusal = platform::InstallMachineFromHive()) {
        WriteError(platform::ToUtf8(*refusal));
        return 2;
    }
    if (const std::optional<std::string> unholdable =
            UnholdableTextOption(options, platform::CurrentMachine().codePage))
        return UsageError(*unholdable);
    return options.command->run(options);
}

} // namespace

int main(int argc, char* argv[])
{
    SetUpOutput();
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (parsed.options.help) {
        PrintHelp();
        return 0;
    }
    if (parsed.options.version) {
        PrintVersion();
        return 0;
    }
    if (!parsed.error.empty()) return UsageError(parsed.error);
    // The printout needs Qt; it runs in a helper so that this program links none.
    if (parsed.options.command->RunsInPrintHelper()) return RunPrintHelper(argc, argv);
    int status = 1;
    try {
        status = RunOnMachine(parsed.options);
    } catch (const platform::CFileException& error) {
        WriteError(PrintablePath(error.Path()) + ": " + error.what());
    } catch (const std::exception& error) {
        WriteError(error.what());
    }
    if (std::fflush(stdout) != 0) {
        WriteError("write error on standard output");
        return 1;
    }
    return status;
}

// sonadex-cli: the window's file commands on the command line.
#include "CliOptions.h"
#include "CliOutput.h"
#include "CliUsage.h"
#include "Commands.h"
#include "PrintHelper.h"
#include "platform/File.h"
#include "platform/Machine.h"

#include <cstdio>
#include <exception>

namespace {

int RunCommand(const CliOptions& options)
{
    switch (options.command) {
    case CliCommand::Show:
        return RunShow(options);
    case CliCommand::List:
        return RunList(options);
    case CliCommand::Set:
        return RunSet(options);
    case CliCommand::Strip:
        return RunStrip(options);
    case CliCommand::MultiTag:
        return RunMultiTag(options);
    case CliCommand::Rename:
        return RunRename(options);
    case CliCommand::RenameAll:
        return RunRenameAll(options);
    case CliCommand::Genres:
        return RunGenres(options);
    case CliCommand::Print:
    case CliCommand::None:
        break;
    }
    return UsageError("missing command");
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
    if (parsed.options.command == CliCommand::Print) return RunPrintHelper(argc, argv);
    int status = 1;
    try {
        platform::InstallMachineFromHive();
        status = RunCommand(parsed.options);
    } catch (const platform::CFileException& error) {
        WriteError(platform::ToUtf8(error.Path()) + ": " + error.what());
    } catch (const std::exception& error) {
        WriteError(error.what());
    }
    if (std::fflush(stdout) != 0) {
        WriteError("write error on standard output");
        return 1;
    }
    return status;
}

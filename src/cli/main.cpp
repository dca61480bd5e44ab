// sonadex-cli: the window's file commands on the command line.
#include "CliCommandTable.h"
#include "CliOptions.h"
#include "CliOutput.h"
#include "CliPaths.h"
#include "CliUsage.h"
#include "JsonWriter.h"
#include "PrintHelper.h"
#include "TextOptions.h"
#include "platform/File.h"
#include "platform/Machine.h"
#include "platform/OpenFileRoom.h"
#include "platform/PathText.h"

#include <cstdio>
#include <exception>

namespace {

// Runs the command on the hive's machine; a code page the machine cannot
// use, or typed text it cannot hold, stops the run before any file is read.
int RunOnMachine(const CliOptions& options)
{
    if (options.command->withoutMachine) return options.command->run(options);
    if (const std::optional<std::string> refusal = platform::InstallMachineFromHive()) {
        WriteError(platform::ToUtf8(*refusal));
        return 2;
    }
    if (const std::optional<std::string> unholdable =
            UnholdableTextOption(options, platform::CurrentMachine().codePage))
        return UsageError(*unholdable);
    return options.command->run(options);
}

// With --json a run that printed no document (bad usage, a folder that is
// not there, a refused code page) still gives one: the exit status and the
// messages that went to stderr.
void WriteFailureDocument(int status)
{
    CJsonWriter json;
    json.BeginObject();
    json.Member("status", status);
    const std::vector<std::string>& errors = ErrorsWritten();
    json.Member("error", platform::DisplayText(errors.empty() ? std::string("failed") : errors.front()));
    json.Key("errors");
    json.BeginArray();
    for (const std::string& error : errors)
        json.String(platform::DisplayText(error));
    json.EndArray();
    json.EndObject();
    WriteOut(json.Text() + "\n");
}

// The status, with the failure document --json asks for when none was written.
int Finished(const CliOptions& options, int status)
{
    if (options.json && status != 0 && !WroteOut()) WriteFailureDocument(status);
    return status;
}

int Run(const ParsedCommandLine& parsed, int argc, char* argv[])
{
    if (!parsed.error.empty()) return UsageError(parsed.error);
    // The printout needs Qt; it runs in a helper so that this program links none.
    if (parsed.options.command->RunsInPrintHelper()) return RunPrintHelper(argc, argv);
    try {
        return RunOnMachine(parsed.options);
    } catch (const platform::CFileException& error) {
        WriteError(PrintablePath(error.Path()) + ": " + error.what());
    } catch (const std::exception& error) {
        WriteError(error.what());
    }
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    SetUpOutput();
    platform::MakeRoomForOpenFiles();
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (parsed.options.help) {
        if (parsed.options.command)
            PrintCommandHelp(*parsed.options.command);
        else
            PrintHelp();
        return 0;
    }
    if (parsed.options.version) {
        PrintVersion();
        return 0;
    }
    const int status = Finished(parsed.options, Run(parsed, argc, argv));
    if (std::fflush(stdout) != 0) {
        WriteError("write error on standard output");
        return 1;
    }
    return status;
}

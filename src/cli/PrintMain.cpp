// sonadex-cli-print: the print command of sonadex-cli, in a program of its
// own because it needs Qt. sonadex-cli starts it with its own arguments.
#include "CliCommandTable.h"
#include "CliOptions.h"
#include "CliOutput.h"
#include "CliUsage.h"
#include "PrintCommand.h"
#include "platform/File.h"
#include "platform/Machine.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

// Qt's own warnings (fonts, printer set-up) are no message of this program:
// each failure is named once in its words. Only what stops Qt gets through.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) WriteError(message.toStdString());
}

} // namespace

int main(int argc, char* argv[])
{
    SetUpOutput();
    const ParsedCommandLine parsed = ParseCommandLine(argc, argv);
    if (!parsed.error.empty()) return UsageError(parsed.error);
    if (!parsed.options.command || !parsed.options.command->RunsInPrintHelper())
        return UsageError("this helper runs only the print command");
    // No window is ever shown; fonts and metrics still come from Qt.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qInstallMessageHandler(QtMessages);
    int qtArgc = 1;
    QGuiApplication application(qtArgc, argv);
    int status = 1;
    try {
        if (const std::optional<std::string> refusal = platform::InstallMachineFromHive()) {
            WriteError(platform::ToUtf8(*refusal));
            return 2;
        }
        status = RunPrint(parsed.options);
    } catch (const std::exception& error) {
        WriteError(error.what());
    }
    std::fflush(stdout);
    return status;
}

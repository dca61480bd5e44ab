// The window program.
#include "CommandLine.h"
#include "FirstStart.h"
#include "SonadexApp.h"
#include "platform/Machine.h"
#include "platform/MessageBox.h"

#include <QApplication>

#include <iostream>

int main(int argc, char* argv[])
{
    if (const std::optional<int> answered = AnswerCommandLine(argc, argv, std::cout)) return *answered;
    // Code page and drives are machine settings, fixed for the run.
    const std::optional<std::string> refusal = platform::InstallMachineFromHive();
    QApplication application(argc, argv);
    if (refusal) {
        // A page that is not single-byte ASCII would garble tags and names.
        platform::MessageBox(nullptr, *refusal, "Sonadex Pro", platform::MB_ICONSTOP | platform::MB_OK);
        return 2;
    }
    ApplyFirstStartDefaults();
    CSonadexApp app;
    if (!app.InitInstance()) return app.ExitCode();
    return QApplication::exec();
}

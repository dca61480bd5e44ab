// The window program.
#include "SonadexApp.h"
#include "platform/Machine.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Code page and drives are machine settings, fixed for the run.
    platform::InstallMachineFromHive();
    QApplication application(argc, argv);
    CSonadexApp app;
    if (!app.InitInstance()) return app.ExitCode();
    return QApplication::exec();
}

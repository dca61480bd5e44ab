// The window program.
#include "CommandLine.h"
#include "FirstStart.h"
#include "MachineRefusalText.h"
#include "SonadexApp.h"
#include "language/LanguageText.h"
#include "platform/Machine.h"
#include "platform/MessageBox.h"
#include "platform/OpenFileRoom.h"
#include "table/TableFile.h"

#include <QApplication>

#include <iostream>

int main(int argc, char* argv[])
{
    if (const std::optional<int> answered = AnswerCommandLine(argc, argv, std::cout)) return *answered;
    // Before Qt starts its threads: MultiTag keeps a batch's files open.
    platform::MakeRoomForOpenFiles();
    // Code page and drives are machine settings, fixed for the run.
    const std::optional<platform::MachineRefusal> refusal = platform::InstallMachineOrRefuse();
    QApplication application(argc, argv);
    if (refusal) {
        // A page that is not single-byte ASCII would garble tags and names.
        // The language files are cp1252 text, which the machine left in place reads.
        CTableFile language;
        std::string langPath, languageName;
        LoadLanguage(language, langPath, languageName);
        platform::MessageBox(nullptr, MachineRefusalText(*refusal, language), "Sonadex Pro",
                             platform::MB_ICONSTOP | platform::MB_OK);
        return 2;
    }
    ApplyFirstStartDefaults();
    CSonadexApp app;
    if (!app.InitInstance()) return app.ExitCode();
    return QApplication::exec();
}

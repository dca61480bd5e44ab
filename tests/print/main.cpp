// Printing tests run with real widgets on Qt's offscreen platform.
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt and fontconfig keep caches and settings under the home folder; give them a throw-away one.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CACHE_HOME");
    // No print server: the tests print to PDF files and see no real printer,
    // whatever the machine has set up.
    qputenv("CUPS_SERVER", (home.path() + "/no-cups.sock").toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // A short run of the event loop emits aboutToQuit, which releases the
    // application's printer while print support is still loaded.
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    QApplication::exec();
    return result;
}

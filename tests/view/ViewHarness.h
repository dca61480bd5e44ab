// A whole main window on a throw-away machine: temporary drive C:, its own
// hive and language files, a scripted clock, message boxes and shell.
#pragma once

#include "GuiTestSupport.h"
#include "TempMachine.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CMainFrame;
class CSonadexApp;
class CSonadexView;
class QTreeWidgetItem;
class QWidget;

struct TagSpec {
    std::string title{}, artist{}, album{}, year{}, comment{};
    unsigned char genre = 255;
};
// An MP3 file's bytes: audioBytes of filler, then the 128-byte record when tagged.
std::string Mp3Bytes(const TagSpec* tag, std::size_t audioBytes = 1024);
inline std::string Tagged(const TagSpec& tag, std::size_t audioBytes = 1024)
{
    return Mp3Bytes(&tag, audioBytes);
}
inline std::string Untagged(std::size_t audioBytes = 1024)
{
    return Mp3Bytes(nullptr, audioBytes);
}

// Texts of the two test languages (system strings, cp1252).
const std::map<int, std::string>& GermanTexts();
const std::map<int, std::string>& EnglishTexts();

struct StartSettings {
    std::string language = "Deutsch";
    std::string rename = "%1 - %2";
    std::string prompt = "FALSE";
    std::string lastPath{};
    bool settingsKey = true; // the key Software\Velmora\Sonadex Pro exists
};

class ViewHarness {
public:
    ViewHarness();
    ~ViewHarness();
    ViewHarness(const ViewHarness&) = delete;
    ViewHarness& operator=(const ViewHarness&) = delete;

    // Writes C:\lang\<name>.qzd holding the texts.
    void WriteLanguage(const std::string& name, const std::map<int, std::string>& texts) const;
    void WriteHive(const StartSettings& settings) const;
    std::string HiveValue(const std::string& key, const std::string& value) const;

    // Hive and both languages written, then the application's own start.
    // False when the start ended the program.
    bool Start(const StartSettings& settings = {});
    CSonadexApp& App() { return *m_app; }
    CMainFrame& Frame() const;
    CSonadexView& View() const;
    // Names of the list's rows, top to bottom.
    std::vector<std::string> RowNames() const;
    std::vector<std::string> SelectedRowNames() const;
    // The file a row addresses: its name's bytes, not the text it shows.
    static std::string RowName(const QTreeWidgetItem& row);
    void SelectRows(const std::vector<std::string>& names) const;
    // Runs a command as its menu item or key does: through the window's action.
    void Command(int id) const;
    // The status bar's message pane.
    std::string StatusText() const;

    TempMachine machine;
    std::uint32_t clock = 100000;
    std::function<std::uint32_t()> clockScript; // default: each read advances 1000 ms
    guitest::MessageBoxRecorder boxes;          // answers popped per box; IDOK when empty
    std::vector<std::string> shellOpened;

private:
    std::unique_ptr<CSonadexApp> m_app;
};

// Runs act on the next modal dialog once it is up (polled from the event
// loop); a dialog that never comes fails the test after a few seconds.
void WhenModal(std::function<void(QWidget*)> act);

class QTreeWidgetItem;
// The child of node whose text is name, or null.
QTreeWidgetItem* ChildNode(QTreeWidgetItem* node, const std::string& name);

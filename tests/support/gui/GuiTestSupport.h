// Helpers the GUI tests share: language tables, named children, modal runs
// with a watchdog, and message boxes answered and recorded by the test.
#pragma once

#include "platform/MessageBox.h"

#include <QDialog>
#include <QWidget>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

class CTableFile;

namespace guitest {

// Rows of a language table: the number in 5 columns, the text in textWidth.
std::vector<std::string> LanguageRows(const std::map<int, std::string>& texts, std::size_t textWidth = 60);
// Sets table up as a language table holding texts, in memory until it is closed.
void CreateLanguage(CTableFile& table, const std::string& systemPath, const std::map<int, std::string>& texts,
                    std::size_t textWidth = 60);
// Writes the language file at systemPath; a failed write fails the test.
void MakeLanguageFile(const std::string& systemPath, const std::map<int, std::string>& texts,
                      std::size_t textWidth = 60);

// The named child; a missing one ends the run, as no test can go on without it.
template <class Widget> Widget& Child(QWidget& parent, const char* name)
{
    auto* widget = parent.findChild<Widget*>(name);
    if (!widget) qFatal("no child %s", name);
    return *widget;
}

// Calls script once dialog's modal loop is up; a dialog the script leaves
// open is closed after 10 s, as a failure.
void ScriptModal(QDialog& dialog, const std::function<void()>& script);
// Runs the dialog's own DoModal under script; returns what DoModal returned.
template <class Dialog> int RunModalScript(Dialog& dialog, const std::function<void()>& script)
{
    ScriptModal(dialog, script);
    return dialog.DoModal();
}

// Answers every message box while it lives, from answers in order (IDOK once
// they run out), and records each call. Afterwards boxes are cancelled
// unrecorded, so that a late box never waits for a user.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<platform::MessageBoxCall> calls;
    std::deque<int> answers;
};

} // namespace guitest

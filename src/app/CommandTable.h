// The main window's commands: menu label, key, toolbar image, the German
// tool tip and status-bar prompt, and the view's handler of each, in one table.
#pragma once

#include <span>

class CSonadexView;

struct CommandInfo {
    // How the view runs a handler.
    enum class Run {
        Direct,     // as it is
        FileErrors, // inside CSonadexView::RunCommand: a file error ends it with a message
    };

    int id;
    const char* label;                         // UTF-8 menu text; "\t" starts the shortcut column
    int key;                                   // Qt key combination, 0 for none
    const char* image;                         // toolbar image name, or nullptr
    const char* toolTip;                       // short German tip
    const char* prompt;                        // German status-bar prompt
    void (CSonadexView::*handler)() = nullptr; // null: the window or the application handles it
    Run run = Run::Direct;
};

std::span<const CommandInfo> Commands();
// Null for a number the table does not hold.
const CommandInfo* FindCommandInfo(int id);
// Runs the command's handler on the view; a command without one does nothing.
void RunViewCommand(CSonadexView& view, const CommandInfo& command);

// The main window's commands: menu label, key, toolbar image and the German
// tool tip and status-bar prompt of each, in one table.
#pragma once

#include <span>

struct CommandInfo {
    int id;
    const char* label;   // UTF-8 menu text; "\t" starts the shortcut column
    int key;             // Qt key combination, 0 for none
    const char* image;   // toolbar image name, or nullptr
    const char* toolTip; // short German tip
    const char* prompt;  // German status-bar prompt
};

std::span<const CommandInfo> Commands();
// Null for a number the table does not hold.
const CommandInfo* FindCommandInfo(int id);

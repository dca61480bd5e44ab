// Command, control and resource numbers of the main window, kept as the
// numbers the original resources used so menus, accelerators and the
// toolbar all name a command the same way.
#pragma once

namespace res {

// Commands of the view.
constexpr int ID_VIEW_REFRESH = 32771;
constexpr int ID_FILE_RENAME = 32772;
constexpr int ID_FILE_RENAME_ALL = 32773;
constexpr int ID_FILE_REMOVE_ID3 = 32774;
constexpr int ID_FILE_DELETE = 32775;
constexpr int ID_FILE_SETTINGS = 32776;
constexpr int ID_VIEW_SELECT_ALL = 32784;
constexpr int ID_FILE_PLAY = 32785;
constexpr int ID_FILE_MULTITAG = 32787;
constexpr int ID_FILE_UNDO = 32788;

// Framework commands.
constexpr int ID_FILE_PRINT_SETUP = 57606;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_FILE_PRINT_DIRECT = 57608;
constexpr int ID_FILE_PRINT_PREVIEW = 57609;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_VIEW_TOOLBAR = 59392;
constexpr int ID_VIEW_STATUS_BAR = 59393;

// Controls.
constexpr int IDC_TREE_FOLDERS = 1000;
constexpr int IDC_LIST_FILES = 1001;
constexpr int IDC_ABOUT_WEB = 1017;

// Resources.
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_SONADEX_FORM = 101;
constexpr int IDR_MAINFRAME = 128;
constexpr int IDB_LOGO = 144;
constexpr int IDR_LIST_CONTEXT = 147;
constexpr int IDD_SPLASH = 149;

} // namespace res

// The print command runs in the helper program sonadex-cli-print, the one
// part of the command line that links Qt.
#pragma once

// Replaces this process with the helper, passing the same arguments;
// returns an exit status only when the helper cannot be started.
int RunPrintHelper(int argc, char* argv[]);

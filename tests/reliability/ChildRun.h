// Runs a program as a child process with extra environment variables (the
// fault shim is preloaded this way, into the child only), optionally as the
// unprivileged user nobody, and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

struct ChildResult {
    int status = -1; // exit status; -1 when the program did not exit normally
    int signal = 0;  // the signal that ended it, if any
    std::string out;
    std::string err;
};

struct ChildOptions {
    std::vector<std::string> env; // "NAME=value", added to or replacing the test's own
    bool asNobody = false;        // drop to uid/gid 65534 before exec (needs root)
    unsigned timeoutSeconds = 0;  // SIGALRM ends a child that runs longer; 0: no limit
};

ChildResult RunChild(const std::string& program, const std::vector<std::string>& args,
                     const ChildOptions& options = {});
// The environment that preloads the fault shim with fault ("write:3:ENOSPC")
// and logs to logFile when it fires.
std::vector<std::string> FaultEnvironment(const std::string& fault, const std::string& logFile);

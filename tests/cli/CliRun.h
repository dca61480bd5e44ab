// Runs a program (the built sonadex-cli, or python3 to read its JSON back)
// and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

struct RunResult {
    int status = -1; // exit status; -1 when the program did not exit normally
    int signal = 0;  // the signal that ended it, if any
    std::string out;
    std::string err;
};

// program: a path, or a name looked up on PATH. stdinText is fed on stdin.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::string& stdinText = {});
// The built sonadex-cli with args.
RunResult RunCli(const std::vector<std::string>& args);
// Evaluates a Python expression over the JSON document json (bound to d) and
// returns what print() shows, without the line end; "<invalid JSON>" when
// the document does not parse.
std::string JsonQuery(const std::string& json, const std::string& expression);

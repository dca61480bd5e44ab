// What happened to one file in a walk; the command line reports these.
#pragma once

#include <functional>
#include <string>

struct FileOutcome {
    std::string path;     // system path of the file
    std::string newPath;  // renames only: the path it was (or would be) moved to
    bool ok = true;
    int error = 0;        // errno value when !ok
    std::string reason;   // short text when !ok ("cannot open", "name taken" ...)
    // Tag writes only: a long comment took the place of the file's track
    // number; the file also starts with an ID3v2 tag.
    bool trackOverwritten = false;
    bool hasId3v2 = false;
};
using OutcomeSink = std::function<void(const FileOutcome&)>;

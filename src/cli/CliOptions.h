// The command line of sonadex-cli, parsed with getopt_long.
#pragma once

#include "tag/Field.h"

#include <optional>
#include <string>
#include <vector>

struct CliCommand;

// Everything as the shell gave it (UTF-8); conversion to system strings
// happens where the text meets the core.
struct CliOptions {
    const CliCommand* command = nullptr; // a row of CliCommands(); null for --help, --version or bad usage
    bool help = false;
    bool version = false;
    bool json = false;
    bool recurse = false;
    bool dryRun = false;
    bool followLinks = false; // multitag, rename-all: write through links leading outside the folder
    bool header = false;      // list, show: a heading row before the rows
    bool strict = false;      // set, multitag: text longer than its field is bad usage, not cut
    std::optional<std::string> format; // list, show: "csv" or "tsv" (checked by OutputFormatOf)
    std::optional<std::string> pattern;
    std::optional<std::string> jobs;                   // -j: threads for list and multitag
    FieldArray<std::optional<std::string>> fieldTexts; // --artist ... --comment, indexed by Field
    std::optional<std::string> track;                  // checked by TrackNumber
    std::optional<std::string> columns;
    std::optional<std::string> pageSize;
    std::optional<std::string> pdf;
    std::optional<std::string> printer; // print: "" for the default printer
    std::vector<std::string> operands;

    const std::optional<std::string>& FieldText(Field field) const { return At(fieldTexts, field); }
    bool HasFieldOption() const;
    unsigned Jobs() const; // -j's number, else DefaultJobs()
};

struct ParsedCommandLine {
    CliOptions options;
    std::string error; // non-empty: bad usage, exit status 2
};

ParsedCommandLine ParseCommandLine(int argc, char* argv[]);

enum class OutputFormat { Text, Json, Csv, Tsv };
// The output format the options choose; nullopt for a --format that names none.
std::optional<OutputFormat> OutputFormatOf(const CliOptions& options);

// The number of a -j option: 1 to kMaxJobs, else nullopt.
std::optional<unsigned> JobCount(const std::string& text);
// The number of a --track option: 0 (remove the track) to 255, else nullopt.
std::optional<unsigned char> TrackNumber(const std::string& text);

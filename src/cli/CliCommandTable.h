// The commands of sonadex-cli, one row each: its name, the options and
// operands it takes, its help and the function that runs it.
#pragma once

#include <span>
#include <string>
#include <string_view>

struct CliOptions;

// Option groups, as bits: a command accepts the groups of its row (--help always).
namespace cli_option {
inline constexpr unsigned kJson = 1u << 0;
inline constexpr unsigned kRecurse = 1u << 1;
inline constexpr unsigned kPattern = 1u << 2;
inline constexpr unsigned kDryRun = 1u << 3;
inline constexpr unsigned kFieldOptions = 1u << 4; // the field options and --track
inline constexpr unsigned kColumns = 1u << 5;
inline constexpr unsigned kPageSize = 1u << 6;
inline constexpr unsigned kPdf = 1u << 7;
inline constexpr unsigned kHelp = 1u << 8; // --help and --version
inline constexpr unsigned kJobs = 1u << 9;
inline constexpr unsigned kFollowLinks = 1u << 10;
inline constexpr unsigned kHeader = 1u << 11;
inline constexpr unsigned kFormat = 1u << 12;
inline constexpr unsigned kStrict = 1u << 13;
inline constexpr unsigned kPrinter = 1u << 14;
} // namespace cli_option

struct CliCommand {
    const char* name;
    unsigned options; // the option groups it accepts besides --help
    int minOperands;
    int maxOperands;      // -1: no limit
    const char* synopsis; // help: the command with its options and operands
    const char* summary;  // help: what it does
    // Null for print: it needs Qt, so it runs in sonadex-cli-print.
    int (*run)(const CliOptions& options);
    // The message for an option the command cannot do without, or "".
    std::string (*missingOption)(const CliOptions& options) = nullptr;
    // `help COMMAND`: what the command does in more words, and examples, one
    // line each, "" for none.
    const char* details = "";
    const char* examples = "";
    // Runs without installing the hive's machine first: help must work, and
    // config must repair, while the stored code page is refused.
    bool withoutMachine = false;

    bool RunsInPrintHelper() const { return run == nullptr; }
};

std::span<const CliCommand> CliCommands();
// Null for a name the table does not hold.
const CliCommand* FindCliCommand(std::string_view name);

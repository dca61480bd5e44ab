#include "CliUsage.h"

#include "CliCommandTable.h"
#include "CliOptions.h"
#include "CliOutput.h"
#include "Commands.h"
#include "NearestName.h"
#include "platform/Machine.h"
#include "platform/Registry.h"

#include <cstdio>
#include <vector>

#ifndef SONADEX_VERSION
#define SONADEX_VERSION "unknown"
#endif

namespace {

using namespace cli_option;

const char* const kUsageLine = "Usage: sonadex-cli COMMAND [OPTION]... [FILE|FOLDER]...";
constexpr std::size_t kSummaryColumn = 40;

// The help of the options, by group: a command's help shows the groups it takes.
struct OptionHelp {
    unsigned group;
    const char* text;
};

constexpr OptionHelp kOptionHelp[] = {
    {kFieldOptions, "  --artist T, --title T, --album T, --year T, --comment T, --genre G\n"
                    "                      the field options; --genre takes a number (0 to 255) or a\n"
                    "                      name of 'genres' in any case, or \"\" for no genre\n"},
    {kFieldOptions, "  --track N           the track number, 1 to 255; 0 removes it. It shares the\n"
                    "                      comment's last two bytes: a comment of up to 28 bytes\n"
                    "                      keeps it, a longer one replaces it\n"},
    {kStrict, "  --strict            refuse text longer than its field (exit 2) instead of\n"
              "                      cutting it with a note\n"},
    {kRecurse, "  -r, --recursive     include subfolders, depth first\n"},
    {kPattern, "  --pattern P         rename pattern, %1 artist .. %6 comment (default: the\n"
               "                      settings' pattern, else \"%1 - %2\")\n"},
    {kJobs, "  -j, --jobs N        read or write on N threads (default: two per processor;\n"
            "                      the output is the same for any N)\n"},
    {kDryRun, "  --dry-run           change nothing; make every check of the real run and\n"
              "                      report what it would change or fail on\n"},
    {kFollowLinks, "  --follow-links      multitag, rename-all: also write through symbolic links\n"
                   "                      that lead outside FOLDER (by default they are skipped\n"
                   "                      and named, and the exit status is 1)\n"},
    {kJson, "  --json              print one JSON document, also when the run fails\n"},
    {kFormat, "  --format csv|tsv    list, show: comma- or tab-separated rows (RFC 4180 quoting)\n"},
    {kHeader, "  --header            list, show: a heading row before the rows\n"},
    {kColumns, "  --columns LIST      comma-separated: name,size,artist,title,album,year,genre,comment\n"},
    {kPageSize, "  --page-size SIZE    A4 (default for --pdf), Letter, Legal, A3, A5, B5, Executive\n"},
    {kPdf, "  --pdf OUT           the PDF file to write; - for standard output\n"},
    {kPrinter, "  --printer [NAME]    print on printer NAME of the print service; alone: the\n"
               "                      default printer (its own paper unless --page-size)\n"},
    {kHelp, "  -h, --help          show this help and exit\n"
            "  -V, --version       show the version and exit\n"},
};

std::string OptionsHelp(unsigned groups)
{
    std::string text;
    for (const OptionHelp& help : kOptionHelp)
        if ((help.group & groups) != 0) text += help.text;
    return text;
}

// "  synopsis   summary", the summary in its column, or on a line of its
// own when the synopsis leaves no room.
std::string CommandHelpLine(const CliCommand& command)
{
    std::string line = std::string("  ") + command.synopsis;
    if (line.size() < kSummaryColumn)
        line.resize(kSummaryColumn, ' ');
    else
        line += "\n" + std::string(kSummaryColumn, ' ');
    return line + command.summary + "\n";
}

std::string CommandsHelp()
{
    std::string text = "Commands:\n";
    for (const CliCommand& command : CliCommands())
        text += CommandHelpLine(command);
    return text;
}

// Each line indented by two spaces.
std::string Indented(std::string_view lines)
{
    std::string text;
    std::size_t start = 0;
    while (start < lines.size()) {
        const std::size_t end = std::min(lines.find('\n', start), lines.size());
        text += "  " + std::string(lines.substr(start, end - start)) + "\n";
        start = end + 1;
    }
    return text;
}

// Where the settings are and what they make of this machine.
std::string MachineHelp()
{
    std::string text = "Settings file: " + platform::HivePath() +
                       "\n  (set SONADEX_HIVE to use another; 'sonadex-cli config' shows and changes it)\n";
    if (const std::optional<std::string> refusal = platform::InstallMachineFromHive())
        return text + "Code page: refused: " + platform::ToUtf8(*refusal) + "\n";
    const platform::Machine& machine = platform::CurrentMachine();
    text += "Code page: " + std::to_string(machine.codePage.Number()) + " (the value \"ACP\")\n";
    text += "Drives (paths must lie on one of them):\n";
    for (const platform::Drive& drive : machine.drives.Drives())
        text += std::string("  ") + drive.letter + ":  " + drive.root + "\n";
    return text;
}

} // namespace

void PrintHelp()
{
    WriteOut(std::string(kUsageLine) +
             "\n"
             "Read and write the ID3v1 tags of MP3 files, by the rules of Sonadex Pro.\n"
             "'sonadex-cli help COMMAND' or 'sonadex-cli COMMAND --help' shows a command's\n"
             "options and examples.\n"
             "\n" +
             CommandsHelp() + "\nOptions:\n" + OptionsHelp(~0u) +
             "\n"
             "Paths are host paths; they must lie on one of the machine's drives.\n"
             "Only lower-case \".mp3\" names are taken by multitag, rename-all and print;\n"
             "list shows \".mp3\" in any case, as the file list does.\n"
             "\n"
             "JSON: \"count\" is the number of files a command went through (listed, shown, or\n"
             "read to be changed, whether changed, unchanged or failed).\n"
             "\n" +
             MachineHelp() +
             "\n"
             "Exit status: 0 all done; 1 some files could not be read or written (each is\n"
             "named on stderr, the rest are done); 2 bad usage, text that the code page\n"
             "cannot hold, or a code page (\"ACP\") that the program cannot run on; nothing\n"
             "is changed then.\n");
}

void PrintCommandHelp(const CliCommand& command)
{
    std::string text = std::string("Usage: sonadex-cli ") + command.synopsis + "\n" + command.summary + "\n";
    if (*command.details) text.append("\n").append(command.details).append("\n");
    if (const std::string options = OptionsHelp(command.options | kHelp); !options.empty())
        text += "\nOptions:\n" + options;
    if (*command.examples) text += "\nExamples:\n" + Indented(command.examples);
    WriteOut(text);
}

int RunHelp(const CliOptions& options)
{
    if (options.operands.empty()) {
        PrintHelp();
        return 0;
    }
    const std::string& name = options.operands.front();
    if (const CliCommand* command = FindCliCommand(name)) {
        PrintCommandHelp(*command);
        return 0;
    }
    std::vector<std::string_view> names;
    for (const CliCommand& command : CliCommands())
        names.emplace_back(command.name);
    std::string message = "no help for '" + name + "': there is no such command";
    if (const auto nearest = NearestName(name, names)) message += "; did you mean '" + *nearest + "'?";
    return UsageError(message);
}

void PrintVersion()
{
    WriteOut("sonadex-cli (Sonadex Pro) " SONADEX_VERSION "\n");
}

int UsageError(const std::string& message)
{
    WriteError(message);
    const std::string usage = std::string(kUsageLine) + "\nTry 'sonadex-cli --help' for more information.\n";
    std::fputs(usage.c_str(), stderr);
    return 2;
}

#include "CliUsage.h"

#include "CliCommandTable.h"
#include "CliOutput.h"

#include <cstdio>

#ifndef SONADEX_VERSION
#define SONADEX_VERSION "unknown"
#endif

namespace {

const char* const kUsageLine = "Usage: sonadex-cli COMMAND [OPTION]... [FILE|FOLDER]...";
constexpr std::size_t kSummaryColumn = 40;

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

} // namespace

void PrintHelp()
{
    WriteOut(std::string(kUsageLine) +
             "\n"
             "Read and write the ID3v1 tags of MP3 files, by the rules of Sonadex Pro.\n"
             "\n" +
             CommandsHelp() +
             "\n"
             "Options:\n"
             "  --artist T, --title T, --album T, --year T, --comment T, --genre NAME\n"
             "                      the field options; --genre takes an exact genre name\n"
             "                      (see 'genres'), or \"\" for no genre\n"
             "  --track N           the track number, 1 to 255; 0 removes it. It shares the\n"
             "                      comment's last two bytes: a comment of up to 28 bytes\n"
             "                      keeps it, a longer one replaces it\n"
             "  -r, --recursive     include subfolders, depth first\n"
             "  --pattern P         rename pattern, %1 artist .. %6 comment (default: the\n"
             "                      settings' pattern, else \"%1 - %2\")\n"
             "  -j, --jobs N        read or write on N threads (default: two per processor;\n"
             "                      the output is the same for any N)\n"
             "  --dry-run           change nothing; make every check of the real run and\n"
             "                      report what it would change or fail on\n"
             "  --follow-links      multitag, rename-all: also write through symbolic links\n"
             "                      that lead outside FOLDER (by default they are skipped\n"
             "                      and named, and the exit status is 1)\n"
             "  --json              print one JSON document (not for genres and print)\n"
             "  --columns LIST      comma-separated: name,size,artist,title,album,year,genre,comment\n"
             "  --page-size SIZE    A4 (default), Letter, ...\n"
             "  --pdf OUT           the PDF file to write\n"
             "  -h, --help          show this help and exit\n"
             "  -V, --version       show the version and exit\n"
             "\n"
             "Paths are host paths; they must lie on one of the machine's drives.\n"
             "Only lower-case \".mp3\" names are taken by multitag, rename-all and print;\n"
             "list shows \".mp3\" in any case, as the file list does.\n"
             "\n"
             "Exit status: 0 all done; 1 some files could not be read or written (each is\n"
             "named on stderr, the rest are done); 2 bad usage, text that the code page\n"
             "cannot hold, or a code page (\"ACP\") that the program cannot run on; nothing\n"
             "is changed then.\n");
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

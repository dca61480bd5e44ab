#include "CliCommandTable.h"

#include "CliOptions.h"
#include "Commands.h"
#include "tag/Field.h"

#include <algorithm>

namespace {

using namespace cli_option;

std::string MissingFieldOption(const CliOptions& options)
{
    if (options.HasFieldOption()) return {};
    std::string names;
    for (const FieldLayout& field : kFieldLayout)
        names += "--" + std::string(field.name) + ", ";
    return "'set' needs at least one of " + names + "--track";
}

std::string PrintOutputProblem(const CliOptions& options)
{
    if (options.pdf && options.printer) return "--pdf and --printer cannot be used together";
    return options.pdf || options.printer ? std::string() : std::string("'print' needs --pdf OUT or --printer[=NAME]");
}

// A new command is one more row; the parser and the help read only this table.
const CliCommand kCommands[] = {
    {"show", kJson | kFormat | kHeader, 1, -1, "show [--json | --format csv|tsv] [--header] FILE...",
     "the tag of each file", RunShow, nullptr,
     "Reads each file's ID3v1 tag. Text output escapes control bytes (\\t, \\xNN);\n"
     "--json gives an array with one object per file (size null when it cannot be read).",
     "sonadex-cli show song.mp3\n"
     "sonadex-cli show --json *.mp3\n"
     "sonadex-cli show --format csv --header *.mp3 > tags.csv"},
    {"list", kJson | kRecurse | kPattern | kJobs | kHeader | kFormat, 1, 1,
     "list [--json | --format csv|tsv] [--header] [-r] [-j N] [--pattern P] FOLDER",
     "the rows of the file list and the summary", RunList, nullptr,
     "One row per .mp3 file (any case), as the window's file list shows it: name, size,\n"
     "the fields and the state (match: the name is what the pattern makes; tagged;\n"
     "untagged; unreadable), then the summary. With -r, subfolders follow depth first\n"
     "and each folder's rows come under its path.",
     "sonadex-cli list ~/Music\n"
     "sonadex-cli list -r --json ~/Music | jq '.rows[].title'\n"
     "sonadex-cli list --format tsv --header ~/Music"},
    {"set", kJson | kFieldOptions | kDryRun | kStrict, 1, -1, "set [--dry-run] [--strict] [FIELD OPTION]... FILE...",
     "set the chosen fields and save", RunSet, MissingFieldOption,
     "Sets the given fields and saves; the other fields keep their values. A file that\n"
     "already holds these values is not written and is reported unchanged. Text longer\n"
     "than its field (30 bytes, the year 4) is cut with a note; --strict refuses it.",
     "sonadex-cli set --artist Motorhead --genre \"heavy metal\" a.mp3\n"
     "sonadex-cli set --genre 137 --track 3 a.mp3\n"
     "sonadex-cli set --comment \"\" --dry-run *.mp3"},
    {"multitag", kJson | kRecurse | kFieldOptions | kJobs | kDryRun | kFollowLinks | kStrict, 1, 1,
     "multitag [-r] [-j N] [--dry-run] [--strict] [--follow-links] [FIELD OPTION]... FOLDER",
     "set the chosen fields in every .mp3 file", RunMultiTag, nullptr,
     "Sets the given fields in every lower-case .mp3 file of FOLDER, as the window's\n"
     "MultiTag does.",
     "sonadex-cli multitag --album \"Live 1980\" --year 1980 ~/Music/Live\n"
     "sonadex-cli multitag -r --genre Rock --dry-run ~/Music/Rock"},
    {"strip", kJson | kDryRun, 1, -1, "strip [--dry-run] FILE...", "remove the tag", RunStrip, nullptr,
     "Removes the ID3v1 tag (the last 128 bytes); the audio is kept.", "sonadex-cli strip a.mp3 b.mp3"},
    {"rename", kJson | kPattern | kDryRun, 1, -1, "rename [--pattern P] [--dry-run] FILE...",
     "rename files from their tags", RunRename, nullptr,
     "Names each file by the pattern: %1 artist, %2 title, %3 album, %4 year,\n"
     "%5 genre, %6 comment. A name that is taken is never overwritten.",
     "sonadex-cli rename --pattern \"%1 - %2\" a.mp3\n"
     "sonadex-cli rename --dry-run --json *.mp3"},
    {"rename-all", kJson | kRecurse | kPattern | kDryRun | kFollowLinks, 1, 1,
     "rename-all [-r] [--pattern P] [--dry-run] [--follow-links] FOLDER", "rename every .mp3 file of a folder",
     RunRenameAll, nullptr, "Renames every lower-case .mp3 file of FOLDER by the pattern, as 'rename' does.",
     "sonadex-cli rename-all -r --dry-run ~/Music"},
    {"history", kJson, 0, 0, "history [--json]", "the operations the undo journal holds", RunHistory, nullptr,
     "Lists the operations of both programs that changed files, newest first: number,\n"
     "time (UTC), program, command, files, state (done, undone, interrupted, running)\n"
     "and folder. The journal is in ${XDG_STATE_HOME:-~/.local/state}/sonadex-pro/journal.",
     "sonadex-cli history\n"
     "sonadex-cli history --json"},
    {"undo", kJson | kDryRun, 0, 1, "undo [--dry-run] [ID]", "take back the newest operation, or operation ID",
     RunUndo, nullptr,
     "Takes back the newest operation not yet undone (either program's), or the one\n"
     "numbered ID in 'history'. A file is restored only if it is still as the operation\n"
     "left it; any other is skipped and named (exit 1). Undoing an undo does it again.",
     "sonadex-cli undo --dry-run\n"
     "sonadex-cli undo\n"
     "sonadex-cli undo 42"},
    {"genres", kJson, 0, 0, "genres [--json]", "the genre numbers and names", RunGenres, nullptr,
     "The genre table: --genre takes a number (0 to 255) or a name in any case.",
     "sonadex-cli genres\n"
     "sonadex-cli genres --json"},
    {"print", kRecurse | kColumns | kPageSize | kPdf | kPrinter, 1, 1,
     "print [-r] [--columns LIST] [--page-size SIZE] (--pdf OUT | --printer [NAME]) FOLDER",
     "print the listing into a PDF file or on a printer", nullptr, PrintOutputProblem,
     "Prints the listing as the window does, into a PDF file (--pdf - writes it to\n"
     "standard output) or on a printer of the system's print service: --printer NAME,\n"
     "or --printer alone for the default printer. Files that cannot be read are named\n"
     "on standard error.",
     "sonadex-cli print --pdf list.pdf ~/Music\n"
     "sonadex-cli print -r --columns name,artist,title --page-size Letter --pdf - ~/Music > list.pdf\n"
     "sonadex-cli print --printer Office_Laser ~/Music\n"
     "sonadex-cli print --printer ~/Music"},
    {"config", kJson, 0, 3, "config [--json] [set NAME VALUE]", "show or change the settings the programs use",
     RunConfig, nullptr,
     "Without 'set': the settings file, the rename pattern, the prompt, the language,\n"
     "the code page (\"ACP\") and the drives. 'set' changes one of them: rename,\n"
     "prompt (TRUE or FALSE), language, codepage (a single-byte code page that keeps\n"
     "ASCII), or a drive letter such as D: with its folder. A stored drive table\n"
     "replaces the defaults, so adding a drive stores every drive seen now as well.\n"
     "It works while the stored code page is refused, so that it can be repaired.",
     "sonadex-cli config\n"
     "sonadex-cli config set rename \"%1 - %3 - %2\"\n"
     "sonadex-cli config set codepage 1251\n"
     "sonadex-cli config set D: /media/music",
     true},
    {"help", 0, 0, 1, "help [COMMAND]", "this help, or a command's own help and examples", RunHelp, nullptr,
     "", "sonadex-cli help list", true},
};

} // namespace

std::span<const CliCommand> CliCommands()
{
    return kCommands;
}

const CliCommand* FindCliCommand(std::string_view name)
{
    const std::span<const CliCommand> commands = kCommands;
    const auto found =
        std::find_if(commands.begin(), commands.end(), [name](const CliCommand& c) { return name == c.name; });
    return found == commands.end() ? nullptr : &*found;
}

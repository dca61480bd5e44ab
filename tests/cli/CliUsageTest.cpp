// Bad usage, --help and --version.
#include "CliFixture.h"
#include "CliRun.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

struct UsageCase {
    const char* what;
    std::vector<std::string> args;
    const char* message; // part of the first line on stderr
};

class CliUsage : public CliTest {};

TEST_F(CliUsage, BadUsageExitsTwoWithMessageAndUsageLineAndTouchesNothing)
{
    const TagBytes tag{"Title", "Artist", "", "", "", 13};
    Write("a.mp3", MakeMp3(&tag));
    const std::string file = Host("a.mp3");
    const UsageCase cases[] = {
        {"no arguments", {}, "missing command"},
        {"unknown command", {"frobnicate"}, "unknown command 'frobnicate'"},
        {"unknown option", {"show", "--colour", file}, "--colour"},
        {"option of another command", {"show", "--dry-run", file}, "not valid for 'show'"},
        {"json for print", {"print", "--json", "--pdf", Host("o.pdf"), Host("")}, "not valid for 'print'"},
        {"missing operand", {"show"}, "missing operand"},
        {"extra operand", {"list", Host(""), Host("")}, "extra operand"},
        {"missing option argument", {"rename", file, "--pattern"}, "--pattern"},
        {"set without a field", {"set", file}, "at least one"},
        {"unknown genre", {"set", "--genre", "popp", file}, "unknown genre 'popp'"},
        {"genre number past a byte", {"set", "--genre", "256", file}, "unknown genre '256'"},
        {"text longer than its field with --strict", {"set", "--strict", "--title", std::string(31, 't'), file},
         "title: the text is 31 bytes long, the field holds 30 (--strict)"},
        {"year longer than its field with --strict", {"multitag", "--strict", "--year", "19999", Host("")},
         "year: the text is 5 bytes long, the field holds 4"},
        {"unknown format", {"list", "--format", "xml", Host("")}, "invalid format 'xml' for --format (csv or tsv)"},
        {"header of show text", {"show", "--header", file}, "needs --format"},
        {"multitag with unknown genre", {"multitag", "--genre", "Popp", Host("")}, "unknown genre"},
        {"print without --pdf", {"print", Host("")}, "--pdf"},
        {"option before any command", {"--json"}, "--json"},
        {"no jobs", {"list", "-j", "0", Host("")}, "invalid number of jobs '0'"},
        {"jobs not a number", {"multitag", "--jobs=2x", "--artist", "A", Host("")}, "invalid number of jobs '2x'"},
        {"too many jobs", {"list", "--jobs", "65", Host("")}, "(1 to 64)"},
        {"jobs for a command of single files", {"set", "-j", "2", "--artist", "A", file}, "not valid for 'set'"},
    };
    const auto before = Snapshot();
    for (const UsageCase& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult result = RunCli(c.args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("Usage: sonadex-cli"), std::string::npos) << result.err;
    }
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(CliUsage, HelpAndVersionGoToStdoutWithStatusZero)
{
    for (const char* option : {"--help", "-h"}) {
        SCOPED_TRACE(option);
        const RunResult help = RunCli({option});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.err, "");
        for (const char* command :
             {"show", "list", "set", "multitag", "strip", "rename", "rename-all", "genres", "print"})
            EXPECT_NE(help.out.find(std::string("  ") + command + " "), std::string::npos) << command;
    }
    // Help wins over an otherwise incomplete command line, as GNU programs do.
    EXPECT_EQ(RunCli({"rename", "--help"}).status, 0);
    const RunResult version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "sonadex-cli (Sonadex Pro) " SONADEX_VERSION "\n");
}

// The first line on stderr, word for word: each command's and each option's
// rule comes from a table, so a row that lost an option or a message shows here.
TEST_F(CliUsage, UsageMessagesAreExact)
{
    const struct {
        std::vector<std::string> args;
        std::string line;
    } cases[] = {
        {{"show", "--dry-run", "x"}, "option '--dry-run' is not valid for 'show'"},
        {{"genres", "x"}, "extra operand 'x'"},
        {{"rename-all"}, "missing operand for 'rename-all'"},
        {{"set", "x"}, "'set' needs at least one of --artist, --title, --album, --year, --genre, --comment, --track"},
        {{"print", "--columns", "name", "x"}, "'print' needs --pdf OUT or --printer[=NAME]"},
        {{"print", "--printer", "--pdf", "o.pdf", "x"}, "--pdf and --printer cannot be used together"},
        {{"print", "--printer", "P", "x", "y"}, "extra operand 'y'"},
        {{"list", "--printer", "x"}, "option '--printer' is not valid for 'list'"},
        {{"set", "--track", "256", "x"}, "invalid track number '256' for --track (0 to 255; 0 removes the track)"},
        {{"list", "--jobs"}, "option '--jobs' requires an argument"},
        {{"list", "-j"}, "option '-j' requires an argument"},
        {{"show", "--artist", "X", "f"}, "option '--artist' is not valid for 'show'"},
        {{"list", "--json=yes", "x"}, "option '--json' doesn't allow an argument"},
        {{"list", "--recursive=1", "x"}, "option '--recursive' doesn't allow an argument"},
        {{"set", "-j", "0", "--artist", "A", "x"}, "option '-j' is not valid for 'set'"},
        {{"set", "--jobs=0", "--artist", "A", "x"}, "option '--jobs' is not valid for 'set'"},
        {{"lst", "x"}, "unknown command 'lst'; did you mean 'list'?"},
        {{"renmae-all", "x"}, "unknown command 'renmae-all'; did you mean 'rename-all'?"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"list", "--recusive", "x"}, "unrecognized option '--recusive'; did you mean '--recursive'?"},
        {{"set", "--artits", "A", "x"}, "unrecognized option '--artits'; did you mean '--artist'?"},
        {{"help", "shwo"}, "no help for 'shwo': there is no such command; did you mean 'show'?"},
        {{"set", "--title"}, "option '--title' requires an argument"},
        {{"set", "--t", "T", "x"}, "option '--t' is ambiguous; possibilities: '--track' '--title'"},
        {{"rename", "--track=3", "x"}, "option '--track' is not valid for 'rename'"},
        {{"--dry-run"}, "option '--dry-run' is not valid"},
        {{"list", "-x", "x"}, "invalid option -- 'x'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const RunResult result = RunCli(c.args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), "sonadex-cli: " + c.line);
    }
    // Every field option is taken by set and refused by show.
    for (const char* field : {"artist", "title", "album", "year", "genre", "comment"}) {
        SCOPED_TRACE(field);
        const RunResult refused = RunCli({"show", std::string("--") + field + "=T", "x"});
        EXPECT_EQ(refused.err.substr(0, refused.err.find('\n')),
                  std::string("sonadex-cli: option '--") + field + "' is not valid for 'show'");
        const RunResult noFile = RunCli({"set", std::string("--") + field + "=", Host("missing.mp3")});
        EXPECT_EQ(noFile.err.find("not valid"), std::string::npos) << noFile.err;
        EXPECT_EQ(noFile.err.find("needs at least one"), std::string::npos) << noFile.err;
    }
}

// The command list of --help: the summary in its column, or on a line of its
// own under a long synopsis; each row in the table's order (other rows may come between).
TEST_F(CliUsage, HelpListsTheCommandsInColumns)
{
    const std::string rows[] = {
        "Commands:\n",
        "  show [--json | --format csv|tsv] [--header] FILE...\n"
        "                                        the tag of each file\n",
        "  list [--json | --format csv|tsv] [--header] [-r] [-j N] [--pattern P] FOLDER\n"
        "                                        the rows of the file list and the summary\n",
        "  set [--dry-run] [--strict] [FIELD OPTION]... FILE...\n"
        "                                        set the chosen fields and save\n",
        "  multitag [-r] [-j N] [--dry-run] [--strict] [--follow-links] [FIELD OPTION]... FOLDER\n"
        "                                        set the chosen fields in every .mp3 file\n",
        "  strip [--dry-run] FILE...             remove the tag\n",
        "  rename [--pattern P] [--dry-run] FILE...\n"
        "                                        rename files from their tags\n",
        "  rename-all [-r] [--pattern P] [--dry-run] [--follow-links] FOLDER\n"
        "                                        rename every .mp3 file of a folder\n",
        "  genres [--json]                       the genre numbers and names\n",
        "  help [COMMAND]                        this help, or a command's own help and examples\n",
        "\nOptions:\n",
    };
    const RunResult help = RunCli({"--help"});
    std::size_t at = 0;
    for (const std::string& row : rows) {
        SCOPED_TRACE(row);
        const std::size_t found = help.out.find(row, at);
        ASSERT_NE(found, std::string::npos) << help.out;
        at = found + row.size();
    }
}

// Each command's own help: `help COMMAND` and `COMMAND --help` alike, with
// the command's options only, and its examples.
TEST_F(CliUsage, EachCommandHasItsOwnHelp)
{
    const struct {
        const char* command;
        std::vector<std::string> has;
        std::vector<std::string> hasNot;
    } cases[] = {
        {"show", {"--format csv|tsv", "--header", "--json", "Examples:\n  sonadex-cli show"}, {"--dry-run", "--pattern"}},
        {"list", {"-r, --recursive", "-j, --jobs N", "--pattern P", "unreadable"}, {"--strict", "--dry-run"}},
        {"set", {"--strict", "--genre G", "0 to 255", "--track N", "unchanged"}, {"--recursive", "--format"}},
        {"multitag", {"--follow-links", "--strict", "-r, --recursive"}, {"--format", "--pdf"}},
        {"strip", {"--dry-run", "--json"}, {"--artist", "--pattern"}},
        {"rename", {"--pattern P", "%5 genre"}, {"--recursive", "--artist"}},
        {"rename-all", {"--pattern P", "--follow-links"}, {"--artist", "--format"}},
        {"genres", {"--json", "sonadex-cli genres --json"}, {"--recursive"}},
        {"print", {"--pdf OUT", "--page-size SIZE", "--columns LIST", "--pdf -"}, {"--json", "--artist"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        const RunResult help = RunCli({"help", c.command});
        EXPECT_EQ(help.status, 0) << help.err;
        EXPECT_EQ(help.err, "");
        EXPECT_EQ(help.out.rfind(std::string("Usage: sonadex-cli ") + c.command + " ", 0), 0u) << help.out;
        for (const std::string& text : c.has)
            EXPECT_NE(help.out.find(text), std::string::npos) << text << "\n" << help.out;
        for (const std::string& text : c.hasNot)
            EXPECT_EQ(help.out.find(text), std::string::npos) << text << "\n" << help.out;
        const RunResult option = RunCli({c.command, "--help"});
        EXPECT_EQ(option.status, 0);
        EXPECT_EQ(option.out, help.out);
    }
}

// The general help names the settings file, the code page and the drives of this machine.
TEST_F(CliUsage, HelpNamesTheSettingsFileTheCodePageAndTheDrives)
{
    const RunResult help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const std::string& text : {"Settings file: " + m_machine.HiveFile() + "\n", std::string("SONADEX_HIVE"),
                                    std::string("Code page: 1252"), "  C:  " + m_machine.Root() + "\n",
                                    std::string("\"count\" is the number of files")})
        EXPECT_NE(help.out.find(text), std::string::npos) << text << "\n" << help.out;
    // A code page the program refuses still leaves the help readable, and says why.
    WriteHive("");
    std::ofstream(m_machine.HiveFile(), std::ios::app)
        << "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\r\n\"ACP\"=\"65001\"\r\n";
    const RunResult refused = RunCli({"help"});
    EXPECT_EQ(refused.status, 0) << refused.err;
    EXPECT_NE(refused.out.find("Code page: refused: "), std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find("65001"), std::string::npos) << refused.out;
}

} // namespace

// Bad usage, --help and --version.
#include "CliFixture.h"
#include "CliRun.h"

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
        {"json for genres", {"genres", "--json"}, "not valid for 'genres'"},
        {"missing operand", {"show"}, "missing operand"},
        {"extra operand", {"list", Host(""), Host("")}, "extra operand"},
        {"missing option argument", {"rename", file, "--pattern"}, "--pattern"},
        {"set without a field", {"set", file}, "at least one"},
        {"unknown genre", {"set", "--genre", "pop", file}, "unknown genre 'pop'"},
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
        {{"print", "--columns", "name", "x"}, "'print' needs --pdf OUT"},
        {{"set", "--track", "256", "x"}, "invalid track number '256' for --track (0 to 255; 0 removes the track)"},
        {{"list", "--jobs"}, "invalid option -- 'j'"},
        {{"set", "--title"}, "option '--title' requires an argument"},
        {{"set", "--t", "T", "x"}, "unrecognized option '--t'"}, // --title or --track
        {{"rename", "--track=3", "x"}, "option '--track=3' is not valid for 'rename'"},
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
                  std::string("sonadex-cli: option '--") + field + "=T' is not valid for 'show'");
        const RunResult noFile = RunCli({"set", std::string("--") + field + "=", Host("missing.mp3")});
        EXPECT_EQ(noFile.err.find("not valid"), std::string::npos) << noFile.err;
        EXPECT_EQ(noFile.err.find("needs at least one"), std::string::npos) << noFile.err;
    }
}

// The command list of --help: the summary in its column, or on a line of its
// own under a long synopsis.
TEST_F(CliUsage, HelpListsTheCommandsInColumns)
{
    const std::string commands = "Commands:\n"
                                 "  show [--json] FILE...                 the tag of each file\n"
                                 "  list [--json] [-r] [-j N] [--pattern P] FOLDER\n"
                                 "                                        the rows of the file list and the summary\n"
                                 "  set [--dry-run] [FIELD OPTION]... FILE...\n"
                                 "                                        set the chosen fields and save\n"
                                 "  multitag [-r] [-j N] [--dry-run] [--follow-links] [FIELD OPTION]... FOLDER\n"
                                 "                                        set the chosen fields in every .mp3 file\n"
                                 "  strip [--dry-run] FILE...             remove the tag\n"
                                 "  rename [--pattern P] [--dry-run] FILE...\n"
                                 "                                        rename files from their tags\n"
                                 "  rename-all [-r] [--pattern P] [--dry-run] [--follow-links] FOLDER\n"
                                 "                                        rename every .mp3 file of a folder\n"
                                 "  genres                                the genre numbers and names\n"
                                 "  print [-r] [--columns LIST] [--page-size SIZE] --pdf OUT FOLDER\n"
                                 "                                        print the listing into a PDF file\n"
                                 "\n"
                                 "Options:\n";
    const RunResult help = RunCli({"--help"});
    EXPECT_NE(help.out.find(commands), std::string::npos) << help.out;
}

} // namespace

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

} // namespace

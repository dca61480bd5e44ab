// rename and rename-all: names from tags, --dry-run, and collisions.
#include "CliFixture.h"
#include "CliRun.h"

#include <gtest/gtest.h>

namespace {

class CliRename : public CliTest {
protected:
    CliRename()
    {
        const TagBytes one{"First", "Band", "", "", "", 17};
        const TagBytes two{"Second", "Band", "", "", "", 17};
        const TagBytes three{"Third", "Caf\xE9", "", "", "", 17};
        Write("r/01.mp3", MakeMp3(&one));
        Write("r/02.mp3", MakeMp3(&two));
        Write("r/untagged.mp3", MakeMp3(nullptr));
        Write("r/UPPER.MP3", MakeMp3(&one));
        Write("r/sub/03.mp3", MakeMp3(&three));
    }
};

TEST_F(CliRename, DryRunPrintsEveryRenameAndChangesNothing)
{
    const auto before = Snapshot();
    const RunResult one = RunCli({"rename", "--dry-run", Host("r/01.mp3"), Host("r/untagged.mp3")});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.out, Host("r/01.mp3") + " -> " + Host("r/Band - First.mp3") + "\n");

    const RunResult all = RunCli({"rename-all", "--dry-run", "-r", "--json", "--pattern", "%2 (%1)", Host("r")});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(JsonQuery(all.out, "d['count']"), "3");
    EXPECT_EQ(JsonQuery(all.out, "sorted(c['new_path'][len('" + Host("r/") + "'):] for c in d['changed'])"),
              "['First (Band).mp3', 'Second (Band).mp3', 'sub/Third (Caf\xC3\xA9).mp3']");
    EXPECT_EQ(Snapshot(), before);
}

TEST_F(CliRename, RenameUsesTheHivePatternUnlessOneIsGiven)
{
    WriteHive("\"Rename\"=\"%2\"\r\n");
    const RunResult fromHive = RunCli({"rename", Host("r/01.mp3")});
    EXPECT_EQ(fromHive.status, 0) << fromHive.err;
    EXPECT_TRUE(Exists("r/First.mp3"));
    const RunResult given =
        RunCli({"rename", "--json", "--pattern", "%1 %2", Host("r/02.mp3"), Host("r/untagged.mp3")});
    EXPECT_EQ(given.status, 0) << given.err;
    EXPECT_EQ(JsonQuery(given.out, "(d['count'], d['changed'][0]['path'], d['changed'][0]['new_path'])"),
              "(1, '" + Host("r/02.mp3") + "', '" + Host("r/Band Second.mp3") + "')");
    EXPECT_TRUE(Exists("r/untagged.mp3")); // no tag, no prompt: passed over
}

// The pattern is the stored one exactly as the window reads it; one that is
// empty would name every file ".mp3", so nothing is renamed.
TEST_F(CliRename, AnEmptyPatternStoredOrGivenRenamesNothing)
{
    const struct {
        const char* label;
        std::string hive;
        std::vector<std::string> patternOption;
    } cases[] = {
        {"storedEmpty", "\"Rename\"=\"\"\r\n", {}},
        {"storedTooLongForTheWindow", "\"Rename\"=\"" + std::string(300, '%') + "\"\r\n", {}},
        {"givenEmpty", "", {"--pattern", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        WriteHive(c.hive);
        const auto before = Snapshot();
        for (const char* command : {"rename", "rename-all"}) {
            std::vector<std::string> args{command};
            args.insert(args.end(), c.patternOption.begin(), c.patternOption.end());
            args.push_back(std::string(command) == "rename" ? Host("r/01.mp3") : Host("r"));
            const RunResult result = RunCli(args);
            EXPECT_EQ(result.status, 2) << command;
            EXPECT_NE(result.err.find("rename pattern is empty"), std::string::npos) << result.err;
        }
        EXPECT_EQ(Snapshot(), before);
    }
}

TEST_F(CliRename, RenameAllCountsAsTheWindowDoesAndReportsNamesTaken)
{
    Write("r/Band - First.mp3", "taken");
    const RunResult result = RunCli({"rename-all", Host("r")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(Host("r/01.mp3") + ": name taken"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("2 files processed\n"), std::string::npos) << result.out; // the failed move counts
    EXPECT_EQ(Read("r/Band - First.mp3"), "taken");
    EXPECT_TRUE(Exists("r/01.mp3"));
    EXPECT_TRUE(Exists("r/Band - Second.mp3"));
    EXPECT_TRUE(Exists("r/UPPER.MP3"));  // only lower-case .mp3 is walked
    EXPECT_TRUE(Exists("r/sub/03.mp3")); // no -r: the folder alone
}

TEST_F(CliRename, RenameOfAFileInUseNamesItAndRenamesTheRest)
{
    const CHeldFile held(Host("r/01.mp3"));
    const RunResult result = RunCli({"rename", Host("r/01.mp3"), Host("r/02.mp3")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(Host("r/01.mp3") + ": cannot open"), std::string::npos) << result.err;
    EXPECT_TRUE(Exists("r/01.mp3"));
    EXPECT_TRUE(Exists("r/Band - Second.mp3"));
}

} // namespace

// history and undo on the command line: every journalled command comes back
// byte for byte, a file changed since is skipped and named, undoing an undo
// redoes, and a run killed midway is taken back whole.
#include "CliFixture.h"
#include "CliRun.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

namespace fs = std::filesystem;

namespace {

const TagBytes kTagA{"Title A", "Band", "Album", "1999", "c", 17};
const TagBytes kTagB{"Title B", "Band", "Album", "2001", "", 9};

class CliUndo : public CliTest {
protected:
    CliUndo() { WriteHive(); }

    // Three tagged files, one without a tag, one in a subfolder.
    void MakeTree() const
    {
        fs::remove_all(Host("music"));
        Write("music/a.mp3", MakeMp3(&kTagA));
        Write("music/b.mp3", MakeMp3(&kTagB));
        Write("music/u.mp3", MakeMp3(nullptr, 900));
        Write("music/sub/c.mp3", MakeMp3(&kTagA, 300));
    }

    void ForgetJournal() const { fs::remove_all(m_machine.StateHome() + "/sonadex-pro"); }

    // The newest journal entry's field, as history --json gives it.
    std::string Newest(const std::string& key) const
    {
        return JsonQuery(RunCli({"history", "--json"}).out, "d['entries'][0]['" + key + "']");
    }
};

TEST_F(CliUndo, EveryCommandComesBackByteForByteAndUndoingTheUndoRedoes)
{
    const std::vector<std::vector<std::string>> commands{
        {"set", "--artist", "Other", "--genre", "0", Host("music/a.mp3"), Host("music/u.mp3")},
        {"strip", Host("music/a.mp3"), Host("music/b.mp3"), Host("music/u.mp3")},
        {"multitag", "-r", "--album", "New", "--comment", "", Host("music")},
        {"rename", "--pattern", "%1 - %2", Host("music/a.mp3"), Host("music/b.mp3")},
        {"rename-all", "-r", "--pattern", "%2 (%1)", Host("music")},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command[0]);
        MakeTree();
        ForgetJournal();
        const auto before = Snapshot();
        const RunResult run = RunCli(command);
        ASSERT_EQ(run.status, 0) << run.err;
        const auto after = Snapshot();
        ASSERT_NE(after, before);
        EXPECT_EQ(Newest("command"), command[0]);
        EXPECT_EQ(Newest("state"), "done");

        const RunResult dry = RunCli({"undo", "--dry-run"});
        EXPECT_EQ(dry.status, 0) << dry.err;
        EXPECT_EQ(Snapshot(), after) << "the dry run changed files";

        const RunResult undo = RunCli({"undo"});
        EXPECT_EQ(undo.status, 0) << undo.err;
        EXPECT_EQ(Snapshot(), before);
        EXPECT_EQ(Newest("command"), "undo");
        const std::string undoEntry = Newest("id");

        const RunResult redo = RunCli({"undo", undoEntry});
        EXPECT_EQ(redo.status, 0) << redo.err;
        EXPECT_EQ(Snapshot(), after);
    }
}

// A file changed since the operation, and an old name taken again, are
// skipped and named; every other file comes back.
TEST_F(CliUndo, WhatChangedSinceIsSkippedNamedAndKept)
{
    MakeTree();
    ASSERT_EQ(RunCli({"multitag", "--artist", "X", Host("music")}).status, 0);
    const std::string changed = Read("music/b.mp3") + "later";
    Write("music/b.mp3", changed);
    const RunResult undo = RunCli({"undo", "--json"});
    EXPECT_EQ(undo.status, 1);
    EXPECT_EQ(JsonQuery(undo.out, "[(f['path'], f['state']) for f in d['files'] if f['state'] != 'restored']"),
              "[('" + Host("music/b.mp3") + "', 'skipped')]");
    EXPECT_EQ(JsonQuery(undo.out, "(d['restored'], d['skipped'])"), "(2, 1)");
    EXPECT_EQ(Read("music/b.mp3"), changed);
    EXPECT_EQ(Read("music/a.mp3"), MakeMp3(&kTagA));

    MakeTree();
    ASSERT_EQ(RunCli({"rename", "--pattern", "%2", Host("music/a.mp3")}).status, 0);
    Write("music/a.mp3", "a newcomer");
    const RunResult text = RunCli({"undo"});
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.out.find(Host("music/Title A.mp3")), std::string::npos) << text.out;
    EXPECT_EQ(Read("music/a.mp3"), "a newcomer");
    EXPECT_EQ(Read("music/Title A.mp3"), MakeMp3(&kTagA));
}

TEST_F(CliUndo, NothingToUndoAndUnknownEntriesAreErrors)
{
    ForgetJournal();
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        {{"undo"}, 1, "sonadex-cli: undo: nothing to undo\n"},
        {{"undo", "99"}, 1, "sonadex-cli: undo: there is no operation 99 in the journal\n"},
        {{"history"}, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const RunResult run = RunCli(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_EQ(JsonQuery(RunCli({"undo", "--json", "99"}).out, "d['status']"), "1");
}

// sonadex-cli killed at a random moment of a multitag: a plain undo brings
// every file back, because the before states were on disk before any file
// changed.
TEST_F(CliUndo, AMultitagKilledMidwayIsTakenBackWhole)
{
    fs::remove_all(Host("many"));
    for (int i = 0; i < 400; ++i)
        Write("many/" + std::to_string(i / 100) + "/" + std::to_string(i) + ".mp3", MakeMp3(i % 3 ? &kTagA : nullptr));
    const auto before = Snapshot();
    // The kills fall anywhere within the time one whole run takes here.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(RunCli({"multitag", "-r", "--comment", "whole", Host("many")}).status, 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_EQ(RunCli({"undo"}).status, 0);
    ASSERT_EQ(Snapshot(), before);
    std::mt19937 random(20261210);
    std::uniform_int_distribution<long> delayUs(0, static_cast<long>(whole.count()));
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ForgetJournal();
        const std::string comment = "round " + std::to_string(round);
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, 1);
            dup2(null, 2);
            execl(SONADEX_CLI_PATH, "sonadex-cli", "multitag", "-r", "--comment", comment.c_str(),
                  Host("many").c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        const RunResult undo = RunCli({"undo"});
        // Killed before its entry began, the run changed nothing and left nothing to undo.
        EXPECT_TRUE(undo.status == 0 || undo.err == "sonadex-cli: undo: nothing to undo\n") << undo.err;
        EXPECT_EQ(Snapshot(), before);
    }
}

} // namespace

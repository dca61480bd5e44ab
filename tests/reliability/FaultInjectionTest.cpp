// Every write path of the program, run with one failing system call at every
// position in turn: afterwards each file is as before or as intended, byte
// for byte, nothing is lost, no temporary file is left behind, and a failure
// is reported (exit status 1, the file named once on stderr).
#include "ChildRun.h"
#include "FileSnapshot.h"
#include "TempMachine.h"
#include "TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr int kMaxPosition = 40; // well beyond the calls any scenario makes

struct Scenario {
    const char* name;
    void (*prepare)(const TempMachine&);
    std::vector<std::string> (*command)(const TempMachine&);
    bool namesFiles;    // the command line names each failed file on stderr
    const char* mainOp; // the call the operation cannot do without: its fault must fire
    const char* otherOp = nullptr; // a second such call, where there is one
};

void PrintTo(const Scenario& scenario, std::ostream* out)
{
    *out << scenario.name;
}

std::vector<std::string> Cli(std::vector<std::string> args)
{
    args.insert(args.begin(), SONADEX_CLI_PATH);
    return args;
}

const Scenario kScenarios[] = {
    {"SetOverwrite",
     [](const TempMachine& m) {
         m.WriteFile("a.mp3", Tagged("a", "Old"));
         m.WriteFile("other.mp3", Tagged("other", "Old"));
     },
     [](const TempMachine& m) {
         return Cli({"set", "--artist", "New", m.Host("a.mp3")});
     },
     true, "write"},
    {"SetAppend", [](const TempMachine& m) { m.WriteFile("b.mp3", Audio("b")); },
     [](const TempMachine& m) {
         return Cli({"set", "--title", "New", m.Host("b.mp3")});
     },
     true, "write"},
    {"Strip", [](const TempMachine& m) { m.WriteFile("c.mp3", Tagged("c", "Old")); },
     [](const TempMachine& m) {
         return Cli({"strip", m.Host("c.mp3")});
     },
     true, "ftruncate"},
    {"MultiTag",
     [](const TempMachine& m) {
         m.WriteFile("m/x1.mp3", Tagged("x1", "Old"));
         m.WriteFile("m/x2.mp3", Audio("x2"));
         m.WriteFile("m/sub/x3.mp3", Tagged("x3", "Old"));
         m.WriteFile("m/sub/x4.mp3", Audio("x4"));
         m.WriteFile("m/notes.txt", "not music");
     },
     [](const TempMachine& m) {
         return Cli({"multitag", "-r", "--artist", "New", "--genre", "Rock", m.Host("m")});
     },
     true, "write"},
    {"RenameAll",
     [](const TempMachine& m) {
         m.WriteFile("r/a1.mp3", Tagged("a1", "Art1"));
         m.WriteFile("r/a2.mp3", Audio("a2"));
         m.WriteFile("r/sub/a3.mp3", Tagged("a3", "Art3"));
         m.WriteFile("r/sub/a4.mp3", Tagged("a4", "Art4"));
     },
     [](const TempMachine& m) {
         return Cli({"rename-all", "-r", "--pattern", "%1 - %2", m.Host("r")});
     },
     true, "rename"},
    {"HiveWrite", [](const TempMachine&) {},
     [](const TempMachine&) {
         return std::vector<std::string>{REL_HIVE_WRITE, "Pattern", "%2 by %1"};
     },
     false, "fsync", "fchmod"},
    {"TableClose",
     [](const TempMachine& m) {
         m.MakeDir("lang");
         const ChildResult made = RunChild(REL_TABLE_CLOSE, {"create", "C:\\lang\\Deutsch.qzd"});
         ASSERT_EQ(made.status, 0) << made.err;
     },
     [](const TempMachine&) {
         return std::vector<std::string>{REL_TABLE_CLOSE, "rewrite", "C:\\lang\\Deutsch.qzd"};
     },
     false, "rename", "fchmod"},
};

struct Fault {
    const char* op;
    const char* error;
    bool shortWrite;
    std::string At(int position) const
    {
        return std::string(op) + ":" + std::to_string(position) + ":" + error + (shortWrite ? ":short" : "");
    }
};

const Fault kFaults[] = {
    {"write", "ENOSPC", false}, {"write", "EIO", false},     {"write", "EACCES", false},
    {"write", "ENOSPC", true},  {"ftruncate", "EIO", false}, {"ftruncate", "ENOSPC", false},
    {"rename", "EIO", false},   {"rename", "EACCES", false}, {"rename", "ENOSPC", false},
    {"fsync", "EIO", false},    {"fsync", "ENOSPC", false},  {"fsync", "EACCES", false},
    {"fchmod", "EPERM", false}, {"fchmod", "EIO", false},
};

// A fresh machine with the scenario's files; the whole temporary folder
// (hive included) is what the snapshots see.
struct Stage {
    TempMachine machine;
    std::string base;
    explicit Stage(const Scenario& scenario) : base(fs::path(machine.Root()).parent_path().string())
    {
        WriteProgramHive(machine);
        scenario.prepare(machine);
    }
    // The hive names the temporary folder, which differs from stage to stage.
    FileSnapshot Snapshot() const
    {
        FileSnapshot files = TakeSnapshot(base);
        // The undo journal (XDG_STATE_HOME) is no file under test: its entries hold times and numbers.
        std::erase_if(files, [](const auto& file) { return file.first.starts_with("state/"); });
        for (auto& [path, bytes] : files)
            for (std::size_t at = bytes.find(base); at != std::string::npos; at = bytes.find(base, at))
                bytes.replace(at, base.size(), "<base>");
        return files;
    }
};

FileSnapshot IntendedResult(const Scenario& scenario)
{
    Stage stage(scenario);
    const std::vector<std::string> command = scenario.command(stage.machine);
    const ChildResult result = RunChild(command[0], {command.begin() + 1, command.end()});
    EXPECT_EQ(result.status, 0) << "without a fault: " << result.err;
    return stage.Snapshot();
}

std::size_t LinesNaming(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        count += line.find(what) != std::string::npos ? 1 : 0;
    return count;
}

// One run with the fault at one position; false when the run never got there.
bool RunWithFault(const Scenario& scenario, const FileSnapshot& intended, const std::string& fault)
{
    SCOPED_TRACE(fault);
    Stage stage(scenario);
    const FileSnapshot before = stage.Snapshot();
    const std::string log = stage.base + "/../" + fs::path(stage.base).filename().string() + ".fault";
    const std::vector<std::string> command = scenario.command(stage.machine);
    const ChildResult result =
        RunChild(command[0], {command.begin() + 1, command.end()}, ChildOptions{FaultEnvironment(fault, log), false});
    const bool fired = fs::exists(log);
    fs::remove(log);

    EXPECT_EQ(result.signal, 0) << result.err;
    const std::vector<std::string> notIntended = ExpectBeforeOrIntended(before, intended, stage.Snapshot());
    if (!fired || result.status == 0) {
        // Success means success: every file as intended.
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(notIntended.empty()) << "reported success, but " << notIntended.front() << " is not as intended";
        return fired;
    }
    EXPECT_EQ(result.status, 1) << result.err;
    // The journal is written ahead of each batch: when it fails the run stops
    // there, every file already changed is as intended, and one line says so.
    const bool journalStopped = LinesNaming(result.err, "undo journal cannot be written") == 1;
    if (scenario.namesFiles && !journalStopped) {
        for (const std::string& path : notIntended)
            EXPECT_EQ(LinesNaming(result.err, fs::path(path).filename().string()), 1u)
                << path << " is not as intended and must be named on one line of stderr:\n"
                << result.err;
    }
    return true;
}

class FaultInjection : public ::testing::TestWithParam<Scenario> {};

TEST_P(FaultInjection, EveryFailingCallLeavesEachFileAsBeforeOrAsIntended)
{
    const Scenario& scenario = GetParam();
    const FileSnapshot intended = IntendedResult(scenario);
    for (const Fault& fault : kFaults) {
        int position = 1;
        while (position <= kMaxPosition && RunWithFault(scenario, intended, fault.At(position)))
            ++position;
        EXPECT_LE(position, kMaxPosition) << fault.At(position) << " still fires";
        if (std::string(fault.op) == scenario.mainOp ||
            (scenario.otherOp && std::string(fault.op) == scenario.otherOp)) {
            EXPECT_GT(position, 1) << fault.At(1) << " never fired";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultInjection, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

// A folder of more files than one journal part (1,024) is journalled part by
// part, each part's sync running while the part before is written. A journal
// that fails at any of its writes or syncs stops the run with the files
// changed all in the journal: undo then brings every file back.
TEST(FaultInjectionOverParts, AFailingJournalLeavesOnlyJournalledFilesChanged)
{
    constexpr std::size_t kFiles = 1100, kPart = 1024;
    const auto prepare = [](const TempMachine& m) {
        for (std::size_t i = 0; i < kFiles; ++i) {
            // Appends: GCC 12 at -O3 warns falsely on "literal" + string.
            const std::string name = std::string("f").append(std::to_string(i));
            m.WriteFile(std::string("m/").append(name).append(".mp3"), i % 3 == 0 ? Audio(name) : Tagged(name, "Old"));
        }
    };
    const Scenario scenario{"MultiTagOverParts", prepare,
                            [](const TempMachine& m) {
                                return Cli({"multitag", "-j1", "--artist", "New", m.Host("m")});
                            },
                            true, "fsync"};
    const FileSnapshot intended = IntendedResult(scenario);
    // The journal's own calls come first: its head, the last id and the
    // folder's sync; then each part's records and sync. Every sync is tried, and
    // the writes up to the first part's records (later ones meet the files'
    // writes, which take turns with the journal's).
    std::vector<std::string> faults;
    for (int position = 1; position <= 8; ++position)
        faults.push_back("fsync:" + std::to_string(position) + ":EIO");
    for (int position = 1; position <= 3; ++position) {
        faults.push_back("write:" + std::to_string(position) + ":ENOSPC");
        faults.push_back("write:" + std::to_string(position) + ":EIO:short");
    }
    int stopped = 0;
    for (const std::string& fault : faults) {
        SCOPED_TRACE(fault);
        Stage stage(scenario);
        const FileSnapshot before = stage.Snapshot();
        const std::string log = stage.base + ".fault";
        const ChildResult result =
            RunChild(SONADEX_CLI_PATH, {"multitag", "-j1", "--artist", "New", stage.machine.Host("m")},
                     ChildOptions{FaultEnvironment(fault, log), false});
        const bool fired = fs::exists(log);
        fs::remove(log);
        const std::vector<std::string> notIntended = ExpectBeforeOrIntended(before, intended, stage.Snapshot());
        if (result.status == 0) {
            // A call the journal can do without (the last id, the folder's sync), or none at all.
            EXPECT_TRUE(notIntended.empty()) << "reported success, but " << notIntended.front() << " is not as intended";
            continue;
        }
        ASSERT_TRUE(fired) << result.err;
        ++stopped;
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_EQ(LinesNaming(result.err, "undo journal cannot be written"), 1u) << result.err;
        // Whole parts are written, each only once its records are synced: the
        // first part's sync (the third) failing leaves every file as it was.
        const std::size_t changed = kFiles - notIntended.size();
        EXPECT_EQ(changed % kPart, 0u) << changed << " files changed";
        if (fault == "fsync:3:EIO") {
            EXPECT_EQ(changed, 0u);
        }

        RunChild(SONADEX_CLI_PATH, {"undo"});
        const std::vector<std::string> notBack = ExpectBeforeOrIntended(before, before, stage.Snapshot());
        EXPECT_TRUE(notBack.empty()) << notBack.front() << " was changed and not undone";
    }
    // The head's write and sync, the first part's records and both parts' syncs each stop the run.
    EXPECT_GE(stopped, 5);
}

// The shim itself must fail the call it is told to, or the tests above prove nothing.
TEST(FaultShim, FailsTheChosenCallOfEachKind)
{
    struct Case {
        const char* fault;
        std::vector<std::string> (*command)(const TempMachine&);
        const char* expectedText;
    } const cases[] = {
        {"write:1:ENOSPC",
         [](const TempMachine& m) {
             return Cli({"set", "--artist", "X", m.Host("a.mp3")});
         },
         "No space left on device"},
        {"ftruncate:1:EIO",
         [](const TempMachine& m) {
             return Cli({"strip", m.Host("a.mp3")});
         },
         "Input/output error"},
        {"rename:1:EACCES",
         [](const TempMachine& m) {
             return Cli({"rename-all", "--pattern", "%1 - %2", m.Host("")});
         },
         "Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        TempMachine machine;
        WriteProgramHive(machine);
        machine.WriteFile("a.mp3", Tagged("a", "Old"));
        const std::vector<std::string> command = c.command(machine);
        const std::string log = machine.Root() + ".fault";
        const ChildResult result = RunChild(command[0], {command.begin() + 1, command.end()},
                                            ChildOptions{FaultEnvironment(c.fault, log), false});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(c.expectedText), std::string::npos) << result.err;
        EXPECT_TRUE(fs::exists(log));
        EXPECT_EQ(machine.ReadFile("a.mp3"), Tagged("a", "Old"));
        fs::remove(log);
    }
}

} // namespace

// --dry-run is the plan: on an unchanged tree it reports what the real run
// then does (outcomes, reasons, count, exit status) and changes nothing.
#include "CliFixture.h"
#include "CliRun.h"
#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

// What a file is on disk: its bytes, and the times and mode a write or a
// chmod would change.
struct FileState {
    std::string bytes;
    long long mtimeNs = 0;
    unsigned mode = 0;
    bool operator==(const FileState&) const = default;
};
using Tree = std::map<std::string, FileState>; // path relative to the case folder

// What a run reported, from its JSON document.
struct Outcomes {
    int status = -1;
    std::string count;
    std::vector<std::string> changed; // "path" or "path -> new path", relative
    std::vector<std::string> failed;  // "path: reason", relative
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// Every difference between the dry run and the real run, named; empty when none.
std::string Compare(const Outcomes& dry, const Outcomes& real)
{
    std::string differences;
    if (dry.status != real.status)
        differences += "status " + std::to_string(dry.status) + " vs " + std::to_string(real.status) + "\n";
    if (dry.count != real.count) differences += "count " + dry.count + " vs " + real.count + "\n";
    if (dry.changed != real.changed) differences += "changed:\n" + Join(dry.changed) + "vs\n" + Join(real.changed);
    if (dry.failed != real.failed) differences += "failed:\n" + Join(dry.failed) + "vs\n" + Join(real.failed);
    return differences;
}

class CliDryRun : public CliTest {
protected:
    std::string Case() const { return Host("case"); }

    // A fresh, empty case folder that anyone may write in (for nobody).
    void ResetCase() const
    {
        fs::remove_all(Case());
        m_machine.MakeDir("case");
        chmod(Case().c_str(), 0777);
    }

    Tree TakeTree() const
    {
        Tree tree;
        for (const auto& entry : fs::recursive_directory_iterator(Case())) {
            struct stat info {};
            lstat(entry.path().c_str(), &info);
            FileState state;
            state.bytes = entry.is_regular_file() ? Read("case/" + fs::relative(entry.path(), Case()).string())
                                                  : std::string("<dir>");
            state.mtimeNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
            state.mode = info.st_mode;
            tree[fs::relative(entry.path(), Case()).string()] = state;
        }
        return tree;
    }

    Outcomes RunJson(std::vector<std::string> args) const
    {
        args.push_back("--json");
        const RunResult result = RunCli(args);
        Outcomes outcomes;
        outcomes.status = result.status;
        const std::string strip = "len('" + Case() + "/')";
        outcomes.count = JsonQuery(result.out, "d['count']");
        outcomes.changed = Lines(JsonQuery(
            result.out, "'\\n'.join(c['path'][" + strip + ":] + (' -> ' + c['new_path'][" + strip +
                            ":] if 'new_path' in c else '') for c in d['changed'])"));
        outcomes.failed = Lines(JsonQuery(
            result.out, "'\\n'.join(f['path'][" + strip + ":] + ': ' + f['reason'] for f in d['failed'])"));
        return outcomes;
    }
};

// The tree the real run must leave: renames applied in their order, or the
// files listed as changed with new bytes (and nothing else touched).
std::string CheckRealChanges(const Tree& before, const Tree& after, const Outcomes& dry, bool renames)
{
    if (renames) {
        std::map<std::string, std::string> expected;
        for (const auto& [path, state] : before) expected[path] = state.bytes;
        for (const std::string& change : dry.changed) {
            const std::size_t arrow = change.find(" -> ");
            const std::string from = change.substr(0, arrow), to = change.substr(arrow + 4);
            expected[to] = expected[from];
            expected.erase(from);
        }
        std::map<std::string, std::string> actual;
        for (const auto& [path, state] : after) actual[path] = state.bytes;
        return expected == actual ? std::string() : "the real run moved other files than the dry run listed\n";
    }
    std::vector<std::string> written;
    for (const auto& [path, state] : after) {
        const auto old = before.find(path);
        if (old == before.end()) return "the real run made " + path + "\n";
        if (old->second.bytes != state.bytes) written.push_back(path);
    }
    if (after.size() != before.size()) return "the real run removed a file\n";
    std::vector<std::string> listed = dry.changed;
    std::sort(listed.begin(), listed.end());
    return written == listed ? std::string() : "written:\n" + Join(written) + "listed:\n" + Join(listed);
}

// A case: it makes the case folder's files; files are the .mp3 files in
// walk order (the operands of rename and set); held is held open meanwhile.
struct DryRunCase {
    const char* label;
    std::vector<std::string> files;
    std::function<void()> setup;
    const char* held = nullptr;
};

std::unique_ptr<CHeldFile> HoldIfAsked(const DryRunCase& c, const std::string& folder)
{
    return c.held ? std::make_unique<CHeldFile>(folder + "/" + c.held) : nullptr;
}

// Renames by the pattern %2, the title.
class CliDryRunRename : public CliDryRun {
protected:
    void Make(const std::string& name, const std::string& title) const
    {
        const TagBytes tag{title, "Band", "", "", "", 17};
        Write("case/" + name, MakeMp3(&tag));
    }

    // The dry run in JSON and text, then the real run, compared.
    void Check(const DryRunCase& c, bool all)
    {
        std::vector<std::string> args{all ? "rename-all" : "rename", "--pattern", "%2"};
        if (all) args.push_back(Case());
        for (const std::string& file : c.files)
            if (!all) args.push_back(Host("case/" + file));
        std::vector<std::string> dryArgs = args;
        dryArgs.push_back("--dry-run");

        const Tree before = TakeTree();
        const Outcomes dry = RunJson(dryArgs);
        const RunResult dryText = RunCli(dryArgs);
        EXPECT_EQ(TakeTree(), before) << "the dry run changed the tree";
        const Outcomes real = RunJson(args);
        EXPECT_EQ(Compare(dry, real), "");
        EXPECT_EQ(CheckRealChanges(before, TakeTree(), dry, true), "");

        // Text: the lines of the real run; only rename-all's summary says it was a dry run.
        EXPECT_EQ(dryText.status, dry.status);
        std::vector<std::string> moves, failures;
        for (const std::string& change : dry.changed) {
            const std::size_t arrow = change.find(" -> ");
            moves.push_back(Host("case/" + change.substr(0, arrow)) + " -> " + Host("case/" + change.substr(arrow + 4)));
        }
        for (const std::string& failure : dry.failed)
            failures.push_back("sonadex-cli: " + Host("case/" + failure));
        const std::string files = dry.count == "1" ? " file" : " files";
        const std::string summary = all ? dry.count + files + " processed (dry run: nothing moved)\n" : "";
        EXPECT_EQ(dryText.out, Join(moves) + summary);
        EXPECT_EQ(dryText.err, Join(failures));
    }
};

TEST_F(CliDryRunRename, ReportsWhatTheRealRunThenDoes)
{
    const std::vector<DryRunCase> cases{
        {"twoFilesOneName", {"1.mp3", "2.mp3"}, [this] {
             Make("1.mp3", "same");
             Make("2.mp3", "same");
         }},
        {"existingTarget", {"1.mp3"}, [this] {
             Make("1.mp3", "taken");
             Write("case/taken.mp3", MakeMp3(nullptr));
         }},
        {"targetTakenWhenCaseIsIgnored", {"1.mp3"}, [this] {
             Make("1.mp3", "Taken");
             Write("case/taKEN.mp3", MakeMp3(nullptr));
         }},
        {"caseClashInsideTheBatch", {"1.mp3", "2.mp3"}, [this] {
             Make("1.mp3", "Name");
             Make("2.mp3", "NAME");
         }},
        {"caseOnlyRenameOfItself", {"song.mp3"}, [this] { Make("song.mp3", "Song"); }},
        {"quoteInTheName", {"1.mp3", "2.mp3"}, [this] {
             Make("1.mp3", "say \"hi\"");
             Make("2.mp3", "fine");
         }},
        {"movedAwayFreesItsName", {"a.mp3", "b.mp3"}, [this] {
             Make("a.mp3", "z");
             Make("b.mp3", "a");
         }},
        {"freedNameTakenAgainWhenCaseIsIgnored", {"a.mp3", "b.mp3", "c.mp3"}, [this] {
             Make("a.mp3", "z");
             Make("b.mp3", "A");
             Make("c.mp3", "a");
         }},
        {"deviceName", {"1.mp3"}, [this] { Make("1.mp3", "CON"); }},
        {"fileHeldByAnotherOpener", {"1.mp3", "2.mp3"}, [this] {
             Make("1.mp3", "one");
             Make("2.mp3", "two");
         }, "1.mp3"},
        {"readOnlyFileMoves", {"1.mp3"}, [this] {
             Make("1.mp3", "one");
             chmod(Host("case/1.mp3").c_str(), 0444);
         }},
    };
    for (const auto& c : cases) {
        for (const bool all : {true, false}) {
            SCOPED_TRACE(std::string(c.label) + (all ? " rename-all" : " rename"));
            ResetCase();
            c.setup();
            const auto held = HoldIfAsked(c, Case());
            Check(c, all);
        }
    }
}

// A folder this user may not change: the dry run foresees the refusal that
// the real run then meets, and neither run changes the tree.
TEST_F(CliDryRunRename, ForeseesAFolderThisUserMayNotChange)
{
    // Root may change any folder, so as root the commands run as nobody in a
    // folder root owns; any other user runs them in a folder without write access.
    const bool asRoot = geteuid() == 0;
    for (const auto& folder : {Host(""), fs::path(Host("")).parent_path().string()})
        chmod(folder.c_str(), 0711); // lets nobody reach the case folder
    chmod(m_machine.HiveFile().c_str(), 0644);
    for (const bool all : {true, false}) {
        SCOPED_TRACE(all ? "rename-all" : "rename");
        ResetCase();
        Make("1.mp3", "one");
        chmod(Case().c_str(), asRoot ? 0755 : 0555);
        const Tree before = TakeTree();
        const DryRunCase readOnlyFolder{"readOnlyFolder", {"1.mp3"}, {}};
        if (asRoot) {
            const int child = RunInChild([&] {
                if (!BecomeNobody()) return 10;
                Check(readOnlyFolder, all);
                return ::testing::Test::HasFailure() ? 11 : 0;
            });
            EXPECT_EQ(child, 0);
        } else {
            Check(readOnlyFolder, all);
        }
        EXPECT_EQ(TakeTree(), before);
        chmod(Case().c_str(), 0777); // the next reset removes the folder
    }
}

// rename names the same file twice, or a file an earlier operand moved away.
TEST_F(CliDryRunRename, OperandsSeeTheMovesOfTheOperandsBefore)
{
    ResetCase();
    Make("a.mp3", "z");
    Check(DryRunCase{"twice", {"a.mp3", "a.mp3", "z.mp3"}, {}}, false);
}

// set, strip and multitag: the dry run opens each file for writing as the
// save does and writes nothing.
class CliDryRunTag : public CliDryRun {
protected:
    // Runs the dry run and then the real run; the differences, named (empty
    // when none). Usable in a child process that has dropped to nobody.
    std::string DifferencesOf(const std::vector<std::string>& args) const
    {
        std::vector<std::string> dryArgs = args;
        dryArgs.push_back("--dry-run");
        const Tree before = TakeTree();
        const Outcomes dry = RunJson(dryArgs);
        const RunResult dryText = RunCli(dryArgs);
        std::string differences;
        if (TakeTree() != before) differences += "the dry run changed the tree\n";
        if (dryText.status != dry.status) differences += "text and JSON status differ\n";
        if (dryText.out.find(" (dry run: nothing written)\n") == std::string::npos)
            differences += "summary: " + dryText.out;
        const Outcomes real = RunJson(args);
        differences += Compare(dry, real);
        differences += CheckRealChanges(before, TakeTree(), dry, false);
        return differences;
    }
};

TEST_F(CliDryRunTag, ReportsWhatTheRealRunThenDoes)
{
    const TagBytes tag{"T", "A", "", "", "", 1};
    const std::vector<DryRunCase> cases{
        {"readOnlyFile", {"1.mp3", "2.mp3"}, [&] {
             Write("case/1.mp3", MakeMp3(&tag));
             Write("case/2.mp3", MakeMp3(&tag));
             chmod(Host("case/1.mp3").c_str(), 0444);
         }},
        {"readOnlyUntagged", {"1.mp3", "2.mp3"}, [&] {
             Write("case/1.mp3", MakeMp3(nullptr));
             Write("case/2.mp3", MakeMp3(&tag));
             chmod(Host("case/1.mp3").c_str(), 0444);
         }},
        {"fileHeldByAnotherOpener", {"1.mp3", "2.mp3"}, [&] {
             Write("case/1.mp3", MakeMp3(&tag));
             Write("case/2.mp3", MakeMp3(&tag));
         }, "2.mp3"},
        {"missingFile", {"1.mp3", "gone.mp3"}, [&] { Write("case/1.mp3", MakeMp3(&tag)); }},
    };
    const std::vector<std::pair<const char*, std::vector<std::string>>> commands{
        {"set", {"set", "--artist", "X"}},
        {"strip", {"strip"}},
        {"multitag", {"multitag", "--artist", "X"}},
    };
    const bool asRoot = geteuid() == 0;
    for (const auto& folder : {Host(""), fs::path(Host("")).parent_path().string()})
        chmod(folder.c_str(), 0711); // lets nobody reach the case folder
    chmod(m_machine.HiveFile().c_str(), 0644);
    for (const bool asNobody : {false, true}) {
        if (asNobody && !asRoot) break;
        for (const auto& c : cases) {
            for (const auto& [name, command] : commands) {
                SCOPED_TRACE(std::string(c.label) + " " + name + (asNobody ? " as nobody" : ""));
                ResetCase();
                c.setup();
                const auto held = HoldIfAsked(c, Case());
                std::vector<std::string> args = command;
                if (std::string(name) == "multitag") {
                    args.push_back(Case());
                } else {
                    for (const std::string& file : c.files)
                        args.push_back(Host("case/" + file));
                }
                if (!asNobody) {
                    EXPECT_EQ(DifferencesOf(args), "");
                    continue;
                }
                // The child reports through its exit status.
                const int child = RunInChild([&] {
                    if (!BecomeNobody()) return 10;
                    return DifferencesOf(args).empty() ? 0 : 11;
                });
                EXPECT_EQ(child, 0);
            }
        }
    }
}

// The notes of a write are worded for a dry run.
TEST_F(CliDryRunTag, NotesSayWhatWouldHappen)
{
    ResetCase();
    TagBytes tag{"T", "A", "", "", "", 1};
    std::string bytes = MakeMp3(&tag);
    bytes.replace(0, 3, "ID3");
    bytes[bytes.size() - 3] = 0; // ID3v1.1: byte 125 zero, byte 126 the track
    bytes[bytes.size() - 2] = 7;
    Write("case/1.mp3", bytes);
    const RunResult result =
        RunCli({"set", "--dry-run", "--comment", std::string(30, 'c'), Host("case/1.mp3")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "1 file changed (dry run: nothing written)\n");
    EXPECT_NE(result.err.find("note: a comment of 29 or 30 bytes would replace the track number in 1 file"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("note: 1 file that would change also start"), std::string::npos) << result.err;
    EXPECT_EQ(Read("case/1.mp3"), bytes);
}

} // namespace

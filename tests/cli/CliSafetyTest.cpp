// What the command line must not change: read-only files, names taken when
// case is ignored, and files reached through links leading out of the folder.
#include "CliFixture.h"
#include "CliRun.h"
#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace {

class CliSafety : public CliTest {
protected:
    // Lets nobody reach the machine's folders and read its hive.
    void OpenToNobody() const
    {
        const std::filesystem::path root(m_machine.Root());
        for (const std::filesystem::path& folder : {root, root.parent_path()})
            chmod(folder.c_str(), 0711);
        chmod(m_machine.HiveFile().c_str(), 0644);
    }
};

const TagBytes kTag{"T", "A", "", "", "", 1};

// A file with no write bit (plain 0444, no other protection) is read-only for
// root as for anyone: set, strip and multitag fail on it with the error line
// and exit 1, its bytes stay; rename moves it (a move writes no bytes).
TEST_F(CliSafety, ReadOnlyFileIsNotWrittenByRootOrNobody)
{
    const struct {
        const char* command;
        std::function<std::vector<std::string>(const std::string& file, const std::string& folder)> args;
        int status;
        bool bytesKept;
        const char* error; // in the error line; "" when none
    } cases[] = {
        {"set", [](auto& file, auto&) { return std::vector<std::string>{"set", "--artist", "X", file}; }, 1, true,
         ": cannot write: Permission denied"},
        {"strip", [](auto& file, auto&) { return std::vector<std::string>{"strip", file}; }, 1, true,
         ": cannot write: Permission denied"},
        {"multitag", [](auto&, auto& folder) { return std::vector<std::string>{"multitag", "--artist", "X", folder}; },
         1, true, ": cannot write: Permission denied"},
        {"rename", [](auto& file, auto&) { return std::vector<std::string>{"rename", "--pattern", "%1 - %2", file}; },
         0, false, ""},
    };
    const bool asRoot = geteuid() == 0;
    OpenToNobody();
    for (const bool asNobody : {false, true}) {
        if (asNobody && !asRoot) break;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.command) + (asNobody ? " as nobody" : " as this user"));
            const std::string folder = std::string(c.command) + (asNobody ? "-nobody" : "");
            const std::string rel = folder + "/a.mp3";
            const std::string bytes = MakeMp3(&kTag);
            Write(rel, bytes);
            chmod(Host(rel).c_str(), 0444);
            chmod(Host(folder).c_str(), 0777); // anyone may rename in it
            RunResult result;
            if (asNobody) {
                // The child reports through its exit status: 0 as expected, else what differed.
                const int child = RunInChild([&] {
                    if (!BecomeNobody()) return 10;
                    const RunResult inner = RunCli(c.args(Host(rel), Host(folder)));
                    if (inner.status != c.status) return 11;
                    return *c.error && inner.err.find(Host(rel) + c.error) == std::string::npos ? 12 : 0;
                });
                EXPECT_EQ(child, 0);
            } else {
                result = RunCli(c.args(Host(rel), Host(folder)));
                EXPECT_EQ(result.status, c.status) << result.err;
                if (*c.error) {
                    EXPECT_NE(result.err.find(Host(rel) + c.error), std::string::npos) << result.err;
                }
            }
            EXPECT_EQ(Exists(rel), c.bytesKept);
            EXPECT_EQ(Read(c.bytesKept ? rel : folder + "/A - T.mp3"), bytes);
        }
    }
}

// The messages of the common failures: what failed, and the system's reason once.
TEST_F(CliSafety, FailuresAreNamedOnceInPlainWords)
{
    Write("ro/a.mp3", MakeMp3(&kTag));
    Write("held/a.mp3", MakeMp3(&kTag));
    OpenToNobody();
    chmod(Host("ro").c_str(), 0555); // nobody may not rename in it
    chmod(Host("ro/a.mp3").c_str(), 0666);
    chmod(m_machine.DataHome().c_str(), 0777);
    if (geteuid() == 0) {
        // Exit 0: every line as expected; else the number of the first that was not.
        const int child = RunInChild([&] {
            if (!BecomeNobody()) return 10;
            const RunResult rename = RunCli({"rename", "--pattern", "%1 - %2", Host("ro/a.mp3")});
            if (rename.status != 1) return 11;
            if (rename.err != "sonadex-cli: " + Host("ro/a.mp3") + ": cannot rename: Permission denied\n") return 12;
            const RunResult json = RunCli({"rename-all", "--json", "--pattern", "%1 - %2", Host("ro")});
            return JsonQuery(json.out, "d['failed'][0]['reason']") == "cannot rename: Permission denied" ? 0 : 13;
        });
        EXPECT_EQ(child, 0);
    }
    const CHeldFile held(Host("held/a.mp3"));
    const struct {
        std::vector<std::string> args;
        std::string line;
    } cases[] = {
        {{"set", "--artist", "X", Host("held/a.mp3")}, Host("held/a.mp3") + ": cannot open: the file is in use by another program"},
        {{"show", Host("held/a.mp3")}, Host("held/a.mp3") + ": cannot open: the file is in use by another program"},
        {{"list", Host("held")}, Host("held/a.mp3") + ": cannot open: the file is in use by another program"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        const RunResult result = RunCli(c.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "sonadex-cli: " + c.line + "\n");
    }
}

// A target that matches another file of the folder when case is ignored is
// taken; the file's own name in another case is not.
TEST_F(CliSafety, RenameRefusesNamesTakenWhenCaseIsIgnored)
{
    const struct {
        const char* what;
        const char* file;
        const char* other; // beside the file, or ""
        int status;
        const char* result; // the file's name afterwards
    } cases[] = {
        {"other file in other case", "a.mp3", "a - t.mp3", 1, "a.mp3"},
        {"other file with \xC3\xA4 for A", "a.mp3", "\xC3\xA4 - T.mp3", 0, "A - T.mp3"},
        {"itself in other case", "a - t.mp3", "", 0, "A - T.mp3"},
        {"its own name", "A - T.mp3", "", 0, "A - T.mp3"},
    };
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = std::string("c").append(std::to_string(++number)).append("/");
        Write(folder + c.file, MakeMp3(&kTag));
        if (*c.other) Write(folder + c.other, "OTHER");
        const RunResult result = RunCli({"rename", "--pattern", "%1 - %2", Host(folder + c.file)});
        EXPECT_EQ(result.status, c.status) << result.err;
        if (c.status == 1) {
            EXPECT_NE(result.err.find(Host(folder + c.file) + ": name taken"), std::string::npos) << result.err;
        }
        EXPECT_EQ(Read(folder + c.result), MakeMp3(&kTag));
        if (*c.other) {
            EXPECT_EQ(Read(folder + c.other), "OTHER");
        }
    }
}

// multitag and rename-all write through no link that leads outside the
// folder they were given: each such link is named (exit 1) and what it leads
// to keeps its bytes and name; --follow-links writes through them. A link
// inside the folder is written as any file.
TEST_F(CliSafety, LinksLeadingOutsideTheFolderAreSkippedUnlessFollowed)
{
    const struct {
        const char* command;
        bool follow;
        int status;
        bool outsideChanged;
    } cases[] = {
        {"multitag", false, 1, false},
        {"multitag", true, 0, true},
        {"rename-all", false, 1, false},
        {"rename-all", true, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.command) + (c.follow ? " --follow-links" : ""));
        const std::string top = std::string(c.command) + (c.follow ? "-follow" : "") + "/";
        Write(top + "outside/x.mp3", MakeMp3(&kTag));
        Write(top + "outside/dir/y.mp3", MakeMp3(&kTag));
        Write(top + "f/a.mp3", MakeMp3(nullptr));
        std::filesystem::create_symlink("../outside/x.mp3", Host(top + "f/file.mp3"));
        std::filesystem::create_directory_symlink("../outside/dir", Host(top + "f/folder"));
        std::filesystem::create_symlink("a.mp3", Host(top + "f/inside.mp3"));
        std::vector<std::string> args{c.command, "-r", "--json"};
        const bool multitag = std::string(c.command) == "multitag";
        args.insert(args.end(), {multitag ? "--artist" : "--pattern", multitag ? "X" : "%1 - %2"});
        if (c.follow) args.push_back("--follow-links");
        args.push_back(Host(top + "f"));
        const auto outsideBefore = Read(top + "outside/dir/y.mp3");

        const RunResult result = RunCli(args);

        EXPECT_EQ(result.status, c.status) << result.err;
        const std::string skipped = c.follow ? "[]"
                                             : "['" + Host(top + "f/file.mp3") + "', '" + Host(top + "f/folder") + "']";
        EXPECT_EQ(JsonQuery(result.out, "[f['path'] for f in d['failed'] if f['reason'] == "
                                        "'link leads outside the folder']"),
                  skipped);
        if (!c.follow) {
            EXPECT_NE(result.err.find(Host(top + "f/folder") + ": link leads outside the folder"), std::string::npos)
                << result.err;
        }
        const bool changed =
            multitag ? Read(top + "outside/dir/y.mp3") != outsideBefore : !Exists(top + "outside/dir/y.mp3");
        EXPECT_EQ(changed, c.outsideChanged);
        EXPECT_TRUE(Exists(top + "outside/x.mp3"));
    }
}

} // namespace

// The command line pointed at trees that try to break it: link cycles, deep
// nesting, huge folders, odd names, odd sizes, a sparse file over 4 GiB,
// unreadable, read-only and locked files. Every command must finish, name
// what it could not do, and lose nothing.
#include "ChildRun.h"
#include "FileSnapshot.h"
#include "TempMachine.h"
#include "TestFiles.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr unsigned kTimeoutSeconds = 120;
constexpr uid_t kNobody = 65534;
// The record an untagged file gains from --artist: the empty record (no genre) with the artist.
std::string NewRecord(const std::string& artist)
{
    std::string record = Record("", artist);
    record.back() = '\xFF';
    return record;
}
const std::string kNewRecord = NewRecord("New");

class HostileTree : public ::testing::Test {
protected:
    HostileTree() { WriteProgramHive(m_machine); }

    ChildResult Cli(std::vector<std::string> args, bool asNobody = false) const
    {
        ChildOptions options;
        // Only root needs to step down: an ordinary user is bound by permissions already.
        options.asNobody = asNobody && geteuid() == 0;
        options.timeoutSeconds = kTimeoutSeconds;
        return RunChild(SONADEX_CLI_PATH, args, options);
    }
    // Runs a command that must finish (no signal, no hang) with status 0 or 1.
    ChildResult Finishes(std::vector<std::string> args, bool asNobody = false) const
    {
        const ChildResult result = Cli(args, asNobody);
        EXPECT_EQ(result.signal, 0) << args[0] << " did not finish: " << result.err;
        EXPECT_TRUE(result.status == 0 || result.status == 1) << args[0] << ": " << result.status << result.err;
        return result;
    }
    std::string Host(const std::string& rel) const { return m_machine.Host(rel); }
    void Write(const std::string& rel, const std::string& bytes) const { m_machine.WriteFile(rel, bytes); }
    std::string Read(const std::string& rel) const { return m_machine.ReadFile(rel); }

    TempMachine m_machine;
};

// Every file made by Audio() must still be there, once, with its audio bytes
// and nothing or one record after them, whatever its tag and name became.
void ExpectAudioKept(const FileSnapshot& before, const FileSnapshot& after)
{
    const std::size_t audioSize = Audio("").size();
    std::map<std::string, std::string> byAudio;
    for (const auto& [path, bytes] : after)
        EXPECT_TRUE(byAudio.emplace(bytes.substr(0, audioSize), bytes).second) << "file doubled: " << path;
    for (const auto& [path, bytes] : before) {
        const auto found = byAudio.find(bytes.substr(0, audioSize));
        ASSERT_NE(found, byAudio.end()) << "file lost: " << path;
        const std::size_t size = found->second.size();
        EXPECT_TRUE(size == audioSize || (size == audioSize + 128 && found->second.compare(audioSize, 3, "TAG") == 0))
            << path << ": " << size << " bytes";
    }
    EXPECT_EQ(before.size(), after.size());
}

TEST_F(HostileTree, LinkCyclesEndAndEveryFileEndsWithOneRecord)
{
    Write("t/b.mp3", Tagged("b", "Old"));
    Write("t/a/c.mp3", Audio("c"));
    fs::create_directory_symlink("..", Host("t/a/up"));
    fs::create_directory_symlink(".", Host("t/a/self"));
    fs::create_directory_symlink(Host("t"), Host("t/a/root"));
    fs::create_symlink("a/c.mp3", Host("t/link.mp3"));
    Finishes({"list", "-r", Host("t")});
    Finishes({"multitag", "-r", "--artist", "New", Host("t")});
    EXPECT_EQ(Read("t/b.mp3"), Audio("b") + Record("Title b", "New"));
    EXPECT_EQ(Read("t/a/c.mp3"), Audio("c") + kNewRecord); // tagged once, even when reached twice
    Finishes({"rename-all", "-r", "--pattern", "%1 - %2", Host("t")});
    Finishes({"strip", Host("t/link.mp3")});
    EXPECT_TRUE(fs::is_symlink(Host("t/a/up")));
    EXPECT_EQ(TakeSnapshot(Host("t")).size(), 2u) << "two files, no more, no fewer";
}

// A dangling link is a file that cannot be opened, never a reason to drop the folder.
TEST_F(HostileTree, DanglingLinkHidesNoOtherFile)
{
    Write("t/b.mp3", Audio("b"));
    // Several names, so that one of them comes first in the folder's own order.
    for (const char* name : {"0.mp3", "dangling.mp3", "m.mp3", "zz.mp3"})
        fs::create_symlink("nowhere.mp3", Host(std::string("t/") + name));
    const ChildResult list = Finishes({"list", Host("t")});
    EXPECT_NE(list.out.find("b.mp3"), std::string::npos) << list.out;
    Finishes({"multitag", "--artist", "New", Host("t")});
    EXPECT_EQ(Read("t/b.mp3"), Audio("b") + kNewRecord);
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(Host("t/dangling.mp3"))));
}

TEST_F(HostileTree, FolderNested300Deep)
{
    std::string deep = "n";
    for (int level = 0; level < 300; ++level)
        deep += "/d";
    Write("n/top.mp3", Audio("top"));
    Write(deep + "/deep.mp3", Audio("deep"));
    const FileSnapshot before = TakeSnapshot(Host("n"));
    Finishes({"list", "-r", Host("n")});
    const ChildResult tagged = Finishes({"multitag", "-r", "--artist", "New", Host("n")});
    EXPECT_EQ(Read("n/top.mp3"), Audio("top") + kNewRecord);
    // Too deep for a system path is fine, but then it must be said.
    if (Read(deep + "/deep.mp3") != Audio("deep") + kNewRecord) {
        EXPECT_EQ(Read(deep + "/deep.mp3"), Audio("deep"));
        EXPECT_EQ(tagged.status, 1) << "the deep file was passed over in silence";
    }
    Finishes({"rename-all", "-r", "--pattern", "%1 - %2", Host("n")});
    ExpectAudioKept(before, TakeSnapshot(Host("n")));
}

TEST_F(HostileTree, TwentyThousandFilesInOneFolder)
{
    constexpr int kFiles = 20000;
    const std::string audio = Audio("same");
    fs::create_directories(Host("big"));
    for (int i = 0; i < kFiles; ++i)
        std::ofstream(Host("big/f" + std::to_string(i) + ".mp3"), std::ios::binary) << audio;
    const ChildResult list = Finishes({"list", "--json", Host("big")});
    EXPECT_NE(list.out.find("\"count\":" + std::to_string(kFiles)), std::string::npos) << list.out.substr(0, 200);
    const ChildResult tagged = Finishes({"multitag", "--artist", "New", Host("big")});
    EXPECT_EQ(tagged.status, 0) << tagged.err;
    int done = 0;
    for (const auto& [path, bytes] : TakeSnapshot(Host("big")))
        done += bytes == audio + kNewRecord ? 1 : 0;
    EXPECT_EQ(done, kFiles);
}

TEST_F(HostileTree, OddNamesAreDoneOrNamedAndNeverLost)
{
    const std::vector<std::string> names = {"bad\xff\xfe.mp3",              // not valid UTF-8
                                            "\xe6\x97\xa5\xe6\x9c\xac.mp3", // valid UTF-8, outside code page 1252
                                            "back\\slash.mp3", // a backslash is a separator in a system path
                                            "caf\xc3\xa9.mp3", // inside the code page
                                            "plain.mp3"};
    for (const std::string& name : names)
        Write("o/" + name, Tagged(name.substr(0, 8), "Old"));
    const FileSnapshot before = TakeSnapshot(Host("o"));
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"list", "-r", Host("o")},
                                               {"list", "--json", "-r", Host("o")},
                                               {"multitag", "-r", "--artist", "New", Host("o")},
                                               {"rename-all", "-r", "--pattern", "%2 %1", Host("o")}}) {
        SCOPED_TRACE(args[0]);
        const FileSnapshot was = TakeSnapshot(Host("o"));
        const ChildResult result = Finishes(args);
        // A file the command left alone must be one it reported.
        if (args[0] == "multitag") {
            for (const auto& [path, bytes] : TakeSnapshot(Host("o")))
                if (bytes == was.at(path)) {
                    EXPECT_EQ(result.status, 1) << path << " passed over in silence";
                }
        }
    }
    ExpectAudioKept(before, TakeSnapshot(Host("o")));
    std::vector<std::string> stripArgs = {"strip"};
    for (const auto& [path, bytes] : TakeSnapshot(Host("o")))
        stripArgs.push_back(Host("o/" + path));
    Finishes(stripArgs);
    ExpectAudioKept(before, TakeSnapshot(Host("o")));
}

TEST_F(HostileTree, FilesOfZeroTo129BytesGainAndLoseExactlyOneRecord)
{
    const std::vector<std::pair<std::string, std::string>> files = {
        {"s/0.mp3", ""},
        {"s/127.mp3", std::string(127, 'a')},
        {"s/128.mp3", std::string(128, 'b')},
        {"s/128tag.mp3", Record("Only", "Record")}, // too short to carry a tag: all of it is audio
        {"s/129.mp3", std::string(1, 'x').append(Record("One", "Byte"))},
    };
    for (const auto& [rel, bytes] : files)
        Write(rel, bytes);
    const ChildResult tagged = Finishes({"multitag", "--artist", "New", Host("s")});
    EXPECT_EQ(tagged.status, 0) << tagged.err;
    for (const auto& [rel, bytes] : files) {
        SCOPED_TRACE(rel);
        const std::string expected =
            rel == "s/129.mp3" ? std::string(1, 'x').append(Record("One", "New")) : bytes + kNewRecord;
        EXPECT_EQ(Read(rel), expected);
    }
    std::vector<std::string> stripArgs = {"strip"};
    for (const auto& [rel, bytes] : files)
        stripArgs.push_back(Host(rel));
    EXPECT_EQ(Finishes(stripArgs).status, 0);
    // A file of 128 bytes or fewer carries no tag by the tag rule, so the
    // record that made the empty file 128 bytes long is its content now.
    for (const auto& [rel, bytes] : files) {
        SCOPED_TRACE(rel);
        const std::string expected = rel == "s/129.mp3" ? "x" : rel == "s/0.mp3" ? kNewRecord : bytes;
        EXPECT_EQ(Read(rel), expected);
    }
}

TEST_F(HostileTree, SparseFileOver4GiBIsMeasuredAndTaggedAtItsEnd)
{
    constexpr std::uint64_t kSize = (std::uint64_t{1} << 32) + 1000;
    Write("big.mp3", "SDXIDbig");
    fs::resize_file(Host("big.mp3"), kSize);
    const ChildResult list = Finishes({"list", "--json", Host("")});
    EXPECT_NE(list.out.find(std::to_string(kSize)), std::string::npos) << list.out;
    EXPECT_EQ(Finishes({"set", "--artist", "Huge", Host("big.mp3")}).status, 0);
    ASSERT_EQ(fs::file_size(Host("big.mp3")), kSize + 128);
    std::ifstream in(Host("big.mp3"), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(kSize - 1));
    std::string tail(129, '\0');
    in.read(tail.data(), 129);
    EXPECT_EQ(tail, std::string(1, '\0') + NewRecord("Huge"));
    const ChildResult show = Finishes({"show", Host("big.mp3")});
    EXPECT_NE(show.out.find("Huge"), std::string::npos) << show.out;
    EXPECT_EQ(Finishes({"strip", Host("big.mp3")}).status, 0);
    EXPECT_EQ(fs::file_size(Host("big.mp3")), kSize);
}

// Root reads and writes anything, so these run the command line as nobody.
class UnprivilegedTree : public HostileTree {
protected:
    void SetUp() override
    {
        Write("u/ok.mp3", Tagged("ok", "Old"));
        Write("u/secret.mp3", Tagged("secret", "Old"));
        Write("u/readonly.mp3", Tagged("readonly", "Old"));
        Write("u/locked/inside.mp3", Tagged("inside", "Old"));
        m_before = TakeSnapshot(Host("u"));
        if (geteuid() == 0) {
            // The temporary folder is root's alone; nobody must reach the tree and the hive.
            fs::permissions(fs::path(m_machine.Root()).parent_path(), fs::perms::others_exec | fs::perms::others_read,
                            fs::perm_options::add);
            for (const auto& entry : fs::recursive_directory_iterator(m_machine.Root()))
                ASSERT_EQ(lchown(entry.path().c_str(), kNobody, kNobody), 0);
            ASSERT_EQ(lchown(m_machine.Root().c_str(), kNobody, kNobody), 0);
        }
        fs::permissions(Host("u/secret.mp3"), fs::perms::none);
        fs::permissions(Host("u/readonly.mp3"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        fs::permissions(Host("u/locked"), fs::perms::none);
    }
    // Gives the owner back what the test took away, so that the test can read
    // every file afterwards also when it does not run as root.
    void RestoreAccess() const
    {
        fs::permissions(Host("u/locked"), fs::perms::owner_all, fs::perm_options::add);
        for (const auto& entry : fs::recursive_directory_iterator(Host("u")))
            fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
    }

    FileSnapshot m_before;
};

std::size_t LinesNaming(const std::string& text, const std::string& what)
{
    std::size_t count = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        count += line.find(what) != std::string::npos ? 1 : 0;
    return count;
}

TEST_F(UnprivilegedTree, UnreadableAndReadOnlyFilesAreNamedAndKept)
{
    const ChildResult tagged = Finishes({"multitag", "-r", "--artist", "New", Host("u")}, true);
    EXPECT_EQ(tagged.status, 1);
    for (const char* name : {"secret.mp3", "readonly.mp3", "locked"})
        EXPECT_EQ(LinesNaming(tagged.err, name), 1u) << name << "\n" << tagged.err;
    EXPECT_EQ(Read("u/ok.mp3"), Audio("ok") + Record("Title ok", "New"));

    const ChildResult stripped = Finishes({"strip", Host("u/secret.mp3"), Host("u/readonly.mp3")}, true);
    EXPECT_EQ(stripped.status, 1);
    EXPECT_EQ(LinesNaming(stripped.err, "secret.mp3"), 1u) << stripped.err;
    EXPECT_EQ(LinesNaming(stripped.err, "readonly.mp3"), 1u) << stripped.err;

    const ChildResult renamed = Finishes({"rename-all", "-r", "--pattern", "%1 - %2", Host("u")}, true);
    EXPECT_EQ(renamed.status, 1);
    EXPECT_EQ(LinesNaming(renamed.err, "secret.mp3"), 1u) << renamed.err;

    // What the user could not write is unchanged, byte for byte (a read-only
    // file may still be renamed: its folder takes the new name).
    RestoreAccess();
    std::multiset<std::string> contents;
    for (const auto& [path, bytes] : TakeSnapshot(Host("u")))
        contents.insert(bytes);
    EXPECT_EQ(contents.size(), m_before.size());
    for (const char* rel : {"secret.mp3", "readonly.mp3", "locked/inside.mp3"})
        EXPECT_EQ(contents.count(m_before.at(rel)), 1u) << rel;
    EXPECT_EQ(Read("u/locked/inside.mp3"), Tagged("inside", "Old"));
}

// list -r names a subfolder it cannot read, as multitag -r and rename-all -r do.
TEST_F(UnprivilegedTree, ListNamesAnUnreadableSubfolder)
{
    const ChildResult list = Finishes({"list", "-r", Host("u")}, true);
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(LinesNaming(list.err, "locked"), 1u) << list.err;
}

// Another process holding the file with an exclusive flock, as a player might.
class LockingChild {
public:
    explicit LockingChild(const std::string& path)
    {
        int ready[2];
        if (pipe(ready) != 0) return;
        m_pid = fork();
        if (m_pid == 0) {
            const int fd = open(path.c_str(), O_RDONLY);
            const char done = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
            if (write(ready[1], &done, 1) != 1) _exit(1);
            pause();
            _exit(0);
        }
        char answer = 'n';
        m_held = m_pid > 0 && read(ready[0], &answer, 1) == 1 && answer == 'y';
        close(ready[0]);
        close(ready[1]);
    }
    ~LockingChild()
    {
        if (m_pid <= 0) return;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    LockingChild(const LockingChild&) = delete;
    LockingChild& operator=(const LockingChild&) = delete;
    bool Held() const { return m_held; }

private:
    pid_t m_pid = -1;
    bool m_held = false;
};

TEST_F(HostileTree, FileLockedByAnotherProcessIsNamedAndKept)
{
    Write("k/free.mp3", Tagged("free", "Old"));
    Write("k/held.mp3", Tagged("held", "Old"));
    const LockingChild holder(Host("k/held.mp3"));
    ASSERT_TRUE(holder.Held());
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"multitag", "--artist", "New", Host("k")},
                                               {"strip", Host("k/held.mp3")},
                                               {"rename-all", "--pattern", "%1 - %2", Host("k")}}) {
        SCOPED_TRACE(args[0]);
        const ChildResult result = Finishes(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(LinesNaming(result.err, "held.mp3"), 1u) << result.err;
        EXPECT_EQ(Read("k/held.mp3"), Tagged("held", "Old"));
    }
    EXPECT_EQ(Read("k/New - Title free.mp3"), Audio("free") + Record("Title free", "New"));
}

} // namespace

// The desktop trash: the layout a file manager reads, unique names, names
// that are not UTF-8, restoring, and mounts whose top folder holds no trash.
#include "platform/Trash.h"
#include "platform/FileOps.h"

#include "ChildProcess.h"
#include "TempMachine.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace platform;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A .trashinfo as file managers read it: the group line first, then keys.
struct TrashInfo {
    std::string group;
    std::map<std::string, std::string> keys;

    std::string Key(const std::string& name) const
    {
        const auto found = keys.find(name);
        return found == keys.end() ? "" : found->second;
    }
};

TrashInfo ReadInfo(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    TrashInfo info;
    std::getline(in, info.group);
    for (std::string line; std::getline(in, line);)
        if (const std::size_t eq = line.find('='); eq != std::string::npos)
            info.keys[line.substr(0, eq)] = line.substr(eq + 1);
    return info;
}

// Path= holds only RFC 2396 unreserved characters, '/' and %XX escapes.
bool IsEscapedPath(const std::string& text)
{
    const std::string marks = "-_.!~*'()/";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '%') {
            if (i + 2 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
                !std::isxdigit(static_cast<unsigned char>(text[i + 2])))
                return false;
            i += 2;
        } else if (c >= 0x80 || !(std::isalnum(c) || marks.find(static_cast<char>(c)) != std::string::npos)) {
            return false;
        }
    }
    return true;
}

// Decoded here, apart from the code under test.
std::string Unescaped(const std::string& text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

// The seconds since the epoch a DeletionDate stands for, read as local time;
// -1 when it is not YYYY-MM-DDThh:mm:ss.
std::time_t LocalSeconds(const std::string& date)
{
    std::tm tm{};
    const char* end = strptime(date.c_str(), "%Y-%m-%dT%H:%M:%S", &tm);
    if (!end || *end != '\0' || date.size() != 19) return -1;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

std::string Resolved(const std::string& path)
{
    return fs::canonical(fs::path(path).parent_path()).string() + "/" + fs::path(path).filename().string();
}

class TrashTest : public testing::Test {
protected:
    std::string HomeTrash() const { return m_machine.DataHome() + "/Trash"; }

    // Trashes rel (below C:) and checks the result against the layout file managers expect.
    TrashEntry TrashAndCheck(const std::string& rel, const std::string& trashFolder, const std::string& pathValue)
    {
        const std::string content = ReadAll(m_machine.Host(rel));
        const TrashResult result = MoveToTrash(m_machine.Host(rel));
        EXPECT_TRUE(result.Ok()) << result.reason;
        const TrashEntry& entry = result.entry;
        EXPECT_EQ(entry.trashFolder, trashFolder);
        EXPECT_EQ(entry.originalPath, Resolved(m_machine.Host(rel)));
        EXPECT_FALSE(Exists(m_machine.Host(rel)));
        EXPECT_EQ(entry.FilePath(), trashFolder + "/files/" + entry.trashedName);
        EXPECT_EQ(entry.InfoPath(), trashFolder + "/info/" + entry.trashedName + ".trashinfo");
        EXPECT_EQ(ReadAll(entry.FilePath()), content);
        const TrashInfo info = ReadInfo(entry.InfoPath());
        EXPECT_EQ(info.group, "[Trash Info]");
        EXPECT_TRUE(IsEscapedPath(info.Key("Path"))) << info.Key("Path");
        EXPECT_EQ(Unescaped(info.Key("Path")), pathValue);
        const std::time_t when = LocalSeconds(info.Key("DeletionDate"));
        EXPECT_LE(std::abs(std::difftime(when, std::time(nullptr))), 60.0) << info.Key("DeletionDate");
        for (const char* folder : {"", "/files", "/info"})
            EXPECT_EQ(ModeOf(trashFolder + folder) & 07777, 0700u) << folder;
        EXPECT_TRUE(IsInTrash(entry));
        return entry;
    }

    TempMachine m_machine;
};

// The clock of a zone far from UTC, so a date written in UTC is caught.
class LocalZone {
public:
    explicit LocalZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ")) m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~LocalZone()
    {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_old;
};

} // namespace

TEST_F(TrashTest, HomeTrashLayoutIsTheDesktops)
{
    const LocalZone zone("<+0530>-5:30");
    m_machine.WriteFile("Rock/a.mp3", "A");
    ASSERT_FALSE(Exists(m_machine.DataHome())); // made on the first delete
    const TrashEntry entry = TrashAndCheck("Rock/a.mp3", HomeTrash(), Resolved(m_machine.Host("Rock/a.mp3")));
    EXPECT_EQ(entry.trashedName, "a.mp3");
    EXPECT_EQ(Names(HomeTrash() + "/info"), std::vector<std::string>{"a.mp3.trashinfo"});
}

// Names are bytes: spaces, '%', Latin-1 bytes that are not UTF-8, UTF-8
// and a '#' survive the escaping and the way back.
TEST_F(TrashTest, AnyNameRoundTripsThroughTheTrash)
{
    const std::vector<std::string> names = {"with space.mp3",     "100% pure.mp3",
                                            "caf\xE9 \xFF.mp3",   "K\xC3\xBC\x68n & Co #1 (live).mp3",
                                            "a+b=c;d,e'f!~*.mp3", "\x7F\x01 odd.mp3"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string rel = "Folder %20 \xE4/" + name;
        m_machine.WriteFile(rel, name);
        const std::string original = Resolved(m_machine.Host(rel));
        EXPECT_EQ(DecodeTrashPath(EncodeTrashPath(original)), original);
        const TrashEntry entry = TrashAndCheck(rel, HomeTrash(), original);
        EXPECT_EQ(entry.trashedName, name);
        const TrashOutcome back = RestoreFromTrash(entry);
        ASSERT_TRUE(back.Ok()) << back.reason;
        EXPECT_EQ(m_machine.ReadFile(rel), name);
    }
    EXPECT_TRUE(Names(HomeTrash() + "/files").empty());
    EXPECT_TRUE(Names(HomeTrash() + "/info").empty());
}

TEST(TrashPathText, BrokenEscapesAreRefused)
{
    for (const char* text : {"%", "/a%2", "/a%G0", "/a%%20"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(DecodeTrashPath(text), std::nullopt);
    }
    EXPECT_EQ(DecodeTrashPath("/a%2fb%2F"), "/a/b/");
}

// Files of one name each get their own trash name, and a file in files/
// that lost its .trashinfo is neither overwritten nor given a second info.
TEST_F(TrashTest, SameNamesGetUniqueTrashNames)
{
    std::set<std::string> trashed;
    for (const char* folder : {"a", "b", "c"}) {
        const std::string rel = std::string(folder) + "/song.mp3";
        m_machine.WriteFile(rel, folder);
        trashed.insert(TrashAndCheck(rel, HomeTrash(), Resolved(m_machine.Host(rel))).trashedName);
    }
    EXPECT_EQ(trashed, (std::set<std::string>{"song.mp3", "song.2.mp3", "song.3.mp3"}));

    std::ofstream(HomeTrash() + "/files/orphan.mp3") << "old";
    m_machine.WriteFile("orphan.mp3", "new");
    const TrashEntry entry = TrashAndCheck("orphan.mp3", HomeTrash(), Resolved(m_machine.Host("orphan.mp3")));
    EXPECT_EQ(entry.trashedName, "orphan.2.mp3");
    EXPECT_EQ(ReadAll(HomeTrash() + "/files/orphan.mp3"), "old");
    EXPECT_FALSE(Exists(HomeTrash() + "/info/orphan.mp3.trashinfo"));
}

// A name as long as the filesystem allows still gets a .trashinfo whose
// name fits, also the second time and with an extension that fills it all.
TEST_F(TrashTest, LongestNamesFitWithTheirInfo)
{
    const struct {
        std::string name;
        std::string ending; // of every trashed name
    } cases[] = {
        {std::string(250, 'x') + ".mp3", ".mp3"},
        {"a." + std::string(253, 'x'), ""},
        {std::string(240, 'x') + "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4", ""},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ++n;
        for (const char* folder : {"a", "b"}) {
            const std::string rel = std::string(folder) + std::to_string(n) + "/" + c.name;
            m_machine.WriteFile(rel, folder);
            const TrashEntry entry = TrashAndCheck(rel, HomeTrash(), Resolved(m_machine.Host(rel)));
            EXPECT_LE(entry.trashedName.size() + std::string(".trashinfo").size(), 255u);
            EXPECT_TRUE(entry.trashedName.ends_with(c.ending)) << entry.trashedName;
            // Cut between characters: every "\xC3" keeps its "\xA4".
            EXPECT_EQ(std::ranges::count(entry.trashedName, '\xC3'), std::ranges::count(entry.trashedName, '\xA4'));
        }
    }
}

TEST_F(TrashTest, RestoreRefusesATakenNameAndAGoneFile)
{
    m_machine.WriteFile("a.mp3", "A");
    const TrashEntry entry = TrashAndCheck("a.mp3", HomeTrash(), Resolved(m_machine.Host("a.mp3")));

    m_machine.WriteFile("a.mp3", "newer");
    const TrashOutcome taken = RestoreFromTrash(entry);
    EXPECT_EQ(taken.error, EEXIST);
    EXPECT_FALSE(taken.reason.empty());
    EXPECT_EQ(m_machine.ReadFile("a.mp3"), "newer");
    EXPECT_TRUE(IsInTrash(entry));
    EXPECT_TRUE(Exists(entry.InfoPath()));

    // The trash was emptied and another a.mp3 trashed since: it takes the
    // same trash name but is not the entry's file.
    fs::remove(entry.FilePath());
    fs::remove(entry.InfoPath());
    const TrashEntry other = TrashAndCheck("a.mp3", HomeTrash(), Resolved(m_machine.Host("a.mp3")));
    ASSERT_EQ(other.trashedName, entry.trashedName);
    EXPECT_FALSE(IsInTrash(entry));
    EXPECT_EQ(RestoreFromTrash(entry).error, ENOENT);
    EXPECT_FALSE(m_machine.Exists("a.mp3"));
    EXPECT_EQ(ReadAll(other.FilePath()), "newer");

    ASSERT_TRUE(RestoreFromTrash(other).Ok());
    EXPECT_EQ(m_machine.ReadFile("a.mp3"), "newer");
    EXPECT_FALSE(Exists(other.InfoPath()));
    EXPECT_FALSE(IsInTrash(other));
    EXPECT_EQ(RestoreFromTrash(other).error, ENOENT); // not twice
}

// The link goes to the trash, its target stays; a dangling link goes too.
TEST_F(TrashTest, ALinkIsTrashedNotItsTarget)
{
    m_machine.WriteFile("target.mp3", "T");
    fs::create_symlink(m_machine.Host("target.mp3"), m_machine.Host("link.mp3"));
    fs::create_symlink(m_machine.Host("gone.mp3"), m_machine.Host("dangling.mp3"));
    for (const char* rel : {"link.mp3", "dangling.mp3"}) {
        SCOPED_TRACE(rel);
        const TrashResult result = MoveToTrash(m_machine.Host(rel));
        ASSERT_TRUE(result.Ok()) << result.reason;
        EXPECT_TRUE(S_ISLNK(ModeOf(result.entry.FilePath())));
        EXPECT_EQ(Unescaped(ReadInfo(result.entry.InfoPath()).Key("Path")), Resolved(m_machine.Host(rel)));
        ASSERT_TRUE(RestoreFromTrash(result.entry).Ok());
        EXPECT_TRUE(S_ISLNK(ModeOf(m_machine.Host(rel))));
    }
    EXPECT_EQ(m_machine.ReadFile("target.mp3"), "T");
    // A link in the path's folder is resolved; the name itself is not followed.
    fs::create_directory_symlink(m_machine.Host(""), m_machine.Host("via"));
    const TrashResult viaLink = MoveToTrash(m_machine.Host("via/link.mp3"));
    ASSERT_TRUE(viaLink.Ok()) << viaLink.reason;
    EXPECT_EQ(viaLink.entry.originalPath, Resolved(m_machine.Host("link.mp3")));
    EXPECT_EQ(m_machine.ReadFile("target.mp3"), "T");
}

// A folder is never trashed (nor removed), and a refused delete leaves no
// .trashinfo behind.
TEST_F(TrashTest, FoldersAndReadOnlyFilesStay)
{
    m_machine.MakeDir("Album");
    m_machine.WriteFile("Album/a.mp3", "A");
    m_machine.WriteFile("ro.mp3", "R");
    chmod(m_machine.Host("ro.mp3").c_str(), 0444);

    const TrashResult folder = MoveToTrash(m_machine.Host("Album"));
    EXPECT_EQ(folder.error, EISDIR);
    EXPECT_FALSE(DeleteFileA(m_machine.Sys("Album")));
    EXPECT_EQ(GetLastError(), EISDIR);
    EXPECT_FALSE(DeleteFileA(m_machine.Sys("ro.mp3")));
    EXPECT_EQ(GetLastError(), EACCES);
    EXPECT_EQ(m_machine.ReadFile("Album/a.mp3"), "A");
    EXPECT_EQ(m_machine.ReadFile("ro.mp3"), "R");
    EXPECT_TRUE(Names(HomeTrash() + "/info").empty());

    // The read-only rule is Delete's; the trash itself keeps the file's mode.
    const TrashEntry entry = TrashAndCheck("ro.mp3", HomeTrash(), Resolved(m_machine.Host("ro.mp3")));
    EXPECT_EQ(ModeOf(entry.FilePath()) & 0777, 0444u);
    ASSERT_TRUE(RestoreFromTrash(entry).Ok());
    EXPECT_EQ(ModeOf(m_machine.Host("ro.mp3")) & 0777, 0444u);
}

TEST_F(TrashTest, DeleteMovesTheFileToTheTrash)
{
    m_machine.WriteFile("Rock/a b.mp3", "A");
    TrashEntry entry;
    ASSERT_TRUE(DeleteFileA(m_machine.Sys("Rock/a b.mp3"), entry));
    EXPECT_FALSE(m_machine.Exists("Rock/a b.mp3"));
    EXPECT_EQ(entry.trashFolder, HomeTrash());
    EXPECT_EQ(ReadAll(entry.FilePath()), "A");
    EXPECT_EQ(Unescaped(ReadInfo(entry.InfoPath()).Key("Path")), Resolved(m_machine.Host("Rock/a b.mp3")));
    ASSERT_TRUE(RestoreFromTrash(entry).Ok());
    EXPECT_EQ(m_machine.ReadFile("Rock/a b.mp3"), "A");
}

// A home trash that cannot be made: the file stays where it is.
TEST_F(TrashTest, NoHomeTrashNoDelete)
{
    std::ofstream(m_machine.DataHome()) << "a file where the data folder belongs";
    m_machine.WriteFile("a.mp3", "A");
    const TrashResult result = MoveToTrash(m_machine.Host("a.mp3"));
    EXPECT_EQ(result.error, ENOTDIR);
    EXPECT_NE(result.reason.find(m_machine.DataHome()), std::string::npos) << result.reason;
    EXPECT_FALSE(DeleteFileA(m_machine.Sys("a.mp3")));
    EXPECT_EQ(m_machine.ReadFile("a.mp3"), "A");
}

// --- files on another mount ----------------------------------------------------

namespace {

// A mount (a tmpfs, or a folder bound elsewhere) in a mount namespace of
// this test process's own, so the host never sees it. Needs root; Error()
// tells why it could not be made.
class PrivateMount {
public:
    static PrivateMount Tmpfs(const std::string& dir, const std::string& options)
    {
        return PrivateMount(dir, "tmpfs", "tmpfs", 0, options);
    }
    static PrivateMount Bind(const std::string& from, const std::string& dir)
    {
        return PrivateMount(dir, from, nullptr, MS_BIND, "");
    }
    ~PrivateMount()
    {
        if (m_error.empty()) umount2(m_dir.c_str(), MNT_DETACH);
    }
    PrivateMount(const PrivateMount&) = delete;
    PrivateMount& operator=(const PrivateMount&) = delete;

    const std::string& Error() const { return m_error; }
    bool MakeReadOnly() const { return mount(nullptr, m_dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0; }

private:
    PrivateMount(const std::string& dir, const std::string& source, const char* type, unsigned long flags,
                 const std::string& options)
        : m_dir(dir)
    {
        static const std::string privateSpace = EnterPrivateMounts();
        m_error = privateSpace;
        if (!m_error.empty()) return;
        fs::create_directories(dir);
        if (mount(source.c_str(), dir.c_str(), type, flags, options.c_str()) != 0)
            m_error = "mount " + source + ": " + std::string(std::strerror(errno));
    }

    static std::string EnterPrivateMounts()
    {
        if (geteuid() != 0) return "mounting needs root";
        if (unshare(CLONE_NEWNS) != 0) return "unshare(CLONE_NEWNS): " + std::string(std::strerror(errno));
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return "making / private: " + std::string(std::strerror(errno));
        return "";
    }

    std::string m_dir;
    std::string m_error;
};

// The test command runs as root, which may mount: a mount that fails is a failure.
#define REQUIRE_MOUNT(mount) ASSERT_TRUE((mount).Error().empty()) << "no mount for the test: " << (mount).Error()

} // namespace

// The mount's own trash, with Path= relative to its top folder; an
// administrator's .Trash is used only when it is a sticky real folder.
TEST_F(TrashTest, AnotherMountUsesItsOwnTrash)
{
    const std::string uid = std::to_string(geteuid());
    const struct {
        const char* what;
        std::function<void(const std::string& top)> prepare;
        std::string trash; // relative to the top folder
    } cases[] = {
        {"no .Trash", [](const std::string&) {}, ".Trash-" + uid},
        {"sticky .Trash",
         [](const std::string& top) {
             fs::create_directory(top + "/.Trash");
             chmod((top + "/.Trash").c_str(), 01777);
         },
         ".Trash/" + uid},
        {".Trash not sticky",
         [](const std::string& top) {
             fs::create_directory(top + "/.Trash");
             chmod((top + "/.Trash").c_str(), 0777);
         },
         ".Trash-" + uid},
        {".Trash a link to a sticky folder",
         [](const std::string& top) {
             fs::create_directory(top + "/shared");
             chmod((top + "/shared").c_str(), 01777);
             fs::create_directory_symlink("shared", top + "/.Trash");
         },
         ".Trash-" + uid},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string rel = "mnt" + std::to_string(++n);
        const PrivateMount mount = PrivateMount::Tmpfs(m_machine.Host(rel), "size=4m,mode=0755");
        REQUIRE_MOUNT(mount);
        c.prepare(m_machine.Host(rel));
        m_machine.WriteFile(rel + "/Sub Folder/a 100%.mp3", "A");
        const TrashEntry entry =
            TrashAndCheck(rel + "/Sub Folder/a 100%.mp3", m_machine.Host(rel) + "/" + c.trash, "Sub Folder/a 100%.mp3");
        EXPECT_FALSE(Exists(HomeTrash() + "/info/a 100%.mp3.trashinfo"));
        if (c.trash.starts_with(".Trash-")) {
            EXPECT_FALSE(Exists(m_machine.Host(rel) + "/.Trash/" + uid));
        }
        ASSERT_TRUE(RestoreFromTrash(entry).Ok());
        EXPECT_EQ(m_machine.ReadFile(rel + "/Sub Folder/a 100%.mp3"), "A");
        EXPECT_TRUE(Names(entry.trashFolder + "/info").empty());
    }
}

// A mount whose top folder cannot hold .Trash-<uid>: Delete fails and says
// so, and the file stays.
TEST_F(TrashTest, AMountWithoutTrashRefusesTheDelete)
{
    const PrivateMount mount = PrivateMount::Tmpfs(m_machine.Host("ro"), "size=4m,mode=0755");
    REQUIRE_MOUNT(mount);
    m_machine.WriteFile("ro/a.mp3", "A");
    ASSERT_TRUE(mount.MakeReadOnly());
    const TrashResult result = MoveToTrash(m_machine.Host("ro/a.mp3"));
    EXPECT_EQ(result.error, EROFS);
    EXPECT_NE(result.reason.find("no trash"), std::string::npos) << result.reason;
    EXPECT_NE(result.reason.find(m_machine.Host("ro")), std::string::npos) << result.reason;
    EXPECT_FALSE(DeleteFileA(m_machine.Sys("ro/a.mp3")));
    EXPECT_EQ(GetLastError(), EROFS);
    EXPECT_EQ(m_machine.ReadFile("ro/a.mp3"), "A");
}

// As an ordinary user: a top folder it cannot write, or a .Trash-<uid> that
// another user made, is no trash; a sticky world-writable top gets its own.
TEST_F(TrashTest, AnotherUsersMountTopFolder)
{
    constexpr int kNobody = 65534;
    const std::string uid = std::to_string(kNobody);
    const struct {
        const char* what;
        mode_t topMode;
        bool foreignTrash; // root made .Trash-<uid> first
        int expected;      // 0: trashed
    } cases[] = {
        {"top not writable", 0755, false, EACCES},
        {"trash folder of another owner", 01777, true, EPERM},
        {"sticky writable top", 01777, false, 0},
    };
    for (const std::string& up : {m_machine.Root(), fs::path(m_machine.Root()).parent_path().string()})
        chmod(up.c_str(), 0711);
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string rel = "mnt" + std::to_string(++n);
        const PrivateMount mount = PrivateMount::Tmpfs(m_machine.Host(rel), "size=4m,mode=0755");
        REQUIRE_MOUNT(mount);
        chmod(m_machine.Host(rel).c_str(), c.topMode);
        m_machine.WriteFile(rel + "/sub/a.mp3", "A");
        chmod(m_machine.Host(rel + "/sub").c_str(), 0777);
        ASSERT_EQ(chown(m_machine.Host(rel + "/sub/a.mp3").c_str(), kNobody, kNobody), 0);
        if (c.foreignTrash) {
            fs::create_directory(m_machine.Host(rel + "/.Trash-" + uid));
            chmod(m_machine.Host(rel + "/.Trash-" + uid).c_str(), 0777);
        }
        const int result = RunInChild([&] {
            if (!BecomeNobody()) return 200;
            return MoveToTrash(m_machine.Host(rel + "/sub/a.mp3")).error;
        });
        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(m_machine.Exists(rel + "/sub/a.mp3"), c.expected != 0);
        if (c.expected == 0) {
            EXPECT_EQ(ReadAll(m_machine.Host(rel + "/.Trash-" + uid + "/files/a.mp3")), "A");
            EXPECT_EQ(Unescaped(ReadInfo(m_machine.Host(rel + "/.Trash-" + uid + "/info/a.mp3.trashinfo")).Key("Path")),
                      "sub/a.mp3");
        }
    }
}

// A bind mount keeps the device of the home trash, yet a file cannot be
// renamed across it: the bind mount's own top folder takes the file.
TEST_F(TrashTest, ABindMountOfTheHomeFilesystemUsesItsOwnTrash)
{
    m_machine.WriteFile("real/a.mp3", "A");
    const PrivateMount bound = PrivateMount::Bind(m_machine.Host("real"), m_machine.Host("bound"));
    REQUIRE_MOUNT(bound);
    const TrashEntry entry =
        TrashAndCheck("bound/a.mp3", m_machine.Host("bound") + "/.Trash-" + std::to_string(geteuid()), "a.mp3");
    EXPECT_FALSE(Exists(HomeTrash() + "/files/a.mp3"));
    ASSERT_TRUE(RestoreFromTrash(entry).Ok());
    EXPECT_EQ(m_machine.ReadFile("real/a.mp3"), "A");
}

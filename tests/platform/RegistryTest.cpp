#include "platform/Registry.h"

#include "TempMachine.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

using namespace platform;

namespace {

constexpr const char* kProgramKey = "Software\\Velmora\\Sonadex Pro";

const char* const kSample = "REGEDIT4\r\n"
                            "\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n"
                            "\"LangPath\"=\"C:\\\\Program Files\\\\Sonadex\"\r\n"
                            "\"Quote\"=\"say \\\"hi\\\"\"\r\n"
                            "@=\"default\"\r\n"
                            "\r\n"
                            "[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n"
                            "\"Rename\"=\"%1 - %2\"\r\n"
                            "\"Count\"=dword:0000002a\r\n"
                            "\"Blob\"=hex:01,02,03,\\\r\n"
                            "  04,05\r\n"
                            "\"Umlaut\"=\"M\xFCller\"\r\n";

CHive SampleHive()
{
    std::optional<CHive> hive = CHive::Parse(kSample);
    if (!hive) throw std::runtime_error("sample hive does not parse");
    return *hive;
}

class RegistryTest : public testing::Test {
protected:
    void SetUp() override { m_machine.WriteHive("\"Rename\"=\"%1 - %2\"\r\n\"Count\"=dword:00000001\r\n"); }
    std::string Hive() const
    {
        std::ifstream in(m_machine.HiveFile(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void ReplaceHive(const std::string& text) const
    {
        std::ofstream(m_machine.HiveFile(), std::ios::binary | std::ios::trunc) << text;
    }

    TempMachine m_machine;
};

} // namespace

TEST(Hive, ParsesStringsEscapesAndDefaultValue)
{
    const CHive hive = SampleHive();
    EXPECT_EQ(hive.Get("Software\\Velmora", "LangPath"), "C:\\Program Files\\Sonadex");
    EXPECT_EQ(hive.Get("Software\\Velmora", "Quote"), "say \"hi\"");
    EXPECT_EQ(hive.Get("Software\\Velmora", ""), "default");
    EXPECT_EQ(hive.Get(kProgramKey, "Umlaut"), "M\xFCller");
}

TEST(Hive, NamesCompareCaseInsensitively)
{
    const CHive hive = SampleHive();
    EXPECT_EQ(hive.Get("SOFTWARE\\velmora\\sonadex pro", "rename"), "%1 - %2");
    EXPECT_TRUE(hive.HasKey("software\\VELMORA"));
    EXPECT_TRUE(hive.HasKey("Software")); // a key exists when a subkey does
    EXPECT_FALSE(hive.HasKey("Soft"));
    EXPECT_FALSE(hive.HasKey("Software\\Velmora\\Sonadex"));
    EXPECT_EQ(hive.Get(kProgramKey, "Missing"), std::nullopt);
}

TEST(Hive, OtherValueTypesAreKeptButAreNoStrings)
{
    const CHive hive = SampleHive();
    EXPECT_EQ(hive.Get(kProgramKey, "Count"), std::nullopt);
    EXPECT_TRUE(hive.HasValue(kProgramKey, "count"));
    EXPECT_EQ(hive.Values(kProgramKey).size(), 2u);
    const std::string text = hive.Serialize();
    EXPECT_NE(text.find("\"Count\"=dword:0000002a\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"Blob\"=hex:01,02,03,\\\r\n  04,05\r\n"), std::string::npos);
}

TEST(Hive, KeysOfOtherRootsAreKeptButNotSeen)
{
    const std::optional<CHive> hive = CHive::Parse("REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Velmora]\r\n"
                                                   "\"a\"=\"user\"\r\n[-HKEY_LOCAL_MACHINE\\Old]\r\n"
                                                   "[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n\"a\"=\"machine\"\r\n");
    ASSERT_TRUE(hive);
    EXPECT_EQ(hive->Get("Software\\Velmora", "a"), "machine");
    EXPECT_FALSE(hive->HasKey("Old"));
    EXPECT_FALSE(hive->HasKey("-HKEY_LOCAL_MACHINE\\Old"));
    const std::string text = hive->Serialize();
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Velmora]\r\n\"a\"=\"user\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("[-HKEY_LOCAL_MACHINE\\Old]\r\n"), std::string::npos);
}

TEST(Hive, SerializeAndParseAreMirrorImages)
{
    const std::string once = SampleHive().Serialize();
    EXPECT_TRUE(once.starts_with("REGEDIT4\r\n"));
    const std::optional<CHive> again = CHive::Parse(once);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Serialize(), once);
    EXPECT_EQ(again->Get("Software\\Velmora", "Quote"), "say \"hi\"");
    // LF line ends read the same as CR LF.
    std::string lf = once;
    std::erase(lf, '\r');
    const std::optional<CHive> fromLf = CHive::Parse(lf);
    ASSERT_TRUE(fromLf);
    EXPECT_EQ(fromLf->Serialize(), once);
}

TEST(Hive, SetReplacesOrAddsButNeverCreatesAKey)
{
    CHive hive = SampleHive();
    EXPECT_TRUE(hive.Set(kProgramKey, "RENAME", "%2"));
    EXPECT_EQ(hive.Get(kProgramKey, "Rename"), "%2");
    EXPECT_EQ(hive.Values(kProgramKey).size(), 2u);
    EXPECT_TRUE(hive.Set(kProgramKey, "Prompt", "FALSE"));
    EXPECT_FALSE(hive.Set("Software\\Other", "x", "y"));
    EXPECT_FALSE(hive.HasKey("Software\\Other"));
    // A line break would end the REGEDIT4 line and forge the next one.
    EXPECT_FALSE(hive.Set(kProgramKey, "Prompt", "x\r\n[HKEY_LOCAL_MACHINE\\Evil]"));
    EXPECT_FALSE(hive.Set(kProgramKey, "a\nb", "x"));
    EXPECT_EQ(hive.Get(kProgramKey, "Prompt"), "FALSE");
}

TEST(Hive, ValueAddedAfterACutOffContinuationSurvivesARewrite)
{
    // The file ends inside a hex value's continuation; a value written after it
    // must not be swallowed by that continuation when the hive is read again.
    std::optional<CHive> hive = CHive::Parse("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"Bin\"=hex:01,02,\\");
    ASSERT_TRUE(hive);
    ASSERT_TRUE(hive->Set("K", "New", "value"));
    const std::optional<CHive> again = CHive::Parse(hive->Serialize());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Get("K", "New"), "value");
}

TEST(Hive, TextThatIsNoRegedit4IsRefused)
{
    for (const char* text : {"", "REGEDIT5\r\n", "Windows Registry Editor Version 5.00\r\n", "\177ELF\x02\x01"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(text)));
        EXPECT_EQ(CHive::Parse(text), std::nullopt);
    }
}

// A line the parser does not understand costs that line only: the rest is
// read, and the line is written back exactly as it was, where it was.
TEST(Hive, ALineNotUnderstoodIsKeptAndTheRestRead)
{
    const struct {
        std::string bad;
    } cases[] = {
        {"garbage line without brackets"},
        {"[HKEY_LOCAL_MACHINE\\Key"},
        {"\"Name\"=\"unterminated"},
        {"\"Name\""},
        {"Name=\"x\""},
        {"\"a\"=\"b\" junk"},
        {"\"a\"="},
        {"  \t\x01\xFF odd bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bad));
        const std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n"
                                 "\"Before\"=\"1\"\r\n" +
                                 c.bad + "\r\n\"Rename\"=\"%2 by %1\"\r\n";
        std::optional<CHive> hive = CHive::Parse(text);
        ASSERT_TRUE(hive);
        EXPECT_EQ(hive->BadLines(), std::vector<std::size_t>{5});
        EXPECT_EQ(hive->Get(kProgramKey, "Before"), "1");
        EXPECT_EQ(hive->Get(kProgramKey, "Rename"), "%2 by %1");
        EXPECT_EQ(hive->Get(kProgramKey, ""), std::nullopt) << "a kept line is no default value";
        ASSERT_TRUE(hive->Set(kProgramKey, "Prompt", "FALSE"));
        const std::string written = hive->Serialize();
        EXPECT_NE(written.find("\"Before\"=\"1\"\r\n" + c.bad + "\r\n\"Rename\""), std::string::npos) << written;
        const std::optional<CHive> again = CHive::Parse(written);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->Serialize(), written);
        EXPECT_EQ(again->BadLines().size(), 1u);
    }
}

TEST(Hive, LinesNotUnderstoodBeforeTheFirstKeyAreKeptThere)
{
    const std::string text =
        "REGEDIT4\r\n\"Loose\"=\"value\"\r\nnoise\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=\"b\"\r\n";
    const std::optional<CHive> hive = CHive::Parse(text);
    ASSERT_TRUE(hive);
    EXPECT_EQ(hive->BadLines(), (std::vector<std::size_t>{2, 3}));
    EXPECT_EQ(hive->Get("K", "a"), "b");
    EXPECT_EQ(hive->Serialize(),
              "REGEDIT4\r\n\"Loose\"=\"value\"\r\nnoise\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"a\"=\"b\"\r\n");
}

// A value given twice, in one key or in a key given twice, reads as the last
// one (as an import of the file would leave it), and a write keeps that one only.
TEST(Hive, DuplicateValuesAndKeysTheLastOneWins)
{
    const std::string text = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"Rename\"=\"first\"\r\n\"Other\"=\"x\"\r\n"
                             "[HKEY_LOCAL_MACHINE\\k]\r\n\"RENAME\"=\"second\"\r\n\"rename\"=\"third\"\r\n";
    CHive hive = *CHive::Parse(text);
    EXPECT_EQ(hive.Get("K", "Rename"), "third");
    EXPECT_EQ(hive.Get("K", "Other"), "x");
    ASSERT_TRUE(hive.Set("K", "Added", "y"));
    const std::string written = hive.Serialize();
    EXPECT_EQ(written, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"Rename\"=\"third\"\r\n\"Other\"=\"x\"\r\n"
                       "\"Added\"=\"y\"\r\n");
    EXPECT_EQ(CHive::Parse(written)->Get("K", "rename"), "third");
}

TEST(Hive, ArbitraryBytesNeverCrashTheParser)
{
    std::mt19937 random(1234);
    const std::string alphabet = "REGEDIT4[]\"\\=@\r\n HKEY_LOCAL_MACHINE:\x00\xFF";
    for (int round = 0; round < 2000; ++round) {
        std::string text = round % 2 ? "REGEDIT4\r\n" : "";
        const std::size_t length = random() % 200;
        for (std::size_t i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        if (const std::optional<CHive> hive = CHive::Parse(text)) {
            // Whatever parsed must come back the same through its own text.
            const std::optional<CHive> again = CHive::Parse(hive->Serialize());
            ASSERT_TRUE(again) << testing::PrintToString(text);
            EXPECT_EQ(again->Serialize(), hive->Serialize());
        }
    }
    const std::string longLine =
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"" + std::string(1 << 20, 'x') + "\"\r\n";
    const std::optional<CHive> hive = CHive::Parse(longLine);
    ASSERT_TRUE(hive);
    EXPECT_EQ(hive->Get("K", "v")->size(), 1u << 20);
}

TEST(Hive, PathFollowsTheEnvironment)
{
    const auto keep = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const auto hive = keep("SONADEX_HIVE"), config = keep("XDG_CONFIG_HOME"), home = keep("HOME");
    setenv("SONADEX_HIVE", "/x/hive.reg", 1);
    EXPECT_EQ(HivePath(), "/x/hive.reg");
    unsetenv("SONADEX_HIVE");
    setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(HivePath(), "/cfg/sonadex-pro/hklm.reg");
    setenv("XDG_CONFIG_HOME", "relative", 1);
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(HivePath(), "/home/someone/.config/sonadex-pro/hklm.reg");
    const auto restore = [](const char* name, const std::optional<std::string>& value) {
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    };
    restore("SONADEX_HIVE", hive);
    restore("XDG_CONFIG_HOME", config);
    restore("HOME", home);
}

TEST_F(RegistryTest, QueryKeepsTheWindowsBufferRule)
{
    CRegKey key;
    ASSERT_EQ(key.Open(kProgramKey, KEY_READ), ERROR_SUCCESS);
    const struct {
        std::size_t length;
        long result;
    } cases[] = {
        {0, ERROR_SUCCESS}, {258, ERROR_SUCCESS}, {259, ERROR_SUCCESS}, {260, ERROR_MORE_DATA}, {261, ERROR_MORE_DATA}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        m_machine.WriteHive("\"LastPath\"=\"" + std::string(c.length, 'p') + "\"\r\n");
        std::string value = "unchanged";
        EXPECT_EQ(key.QueryStringValue("LastPath", value), c.result);
        EXPECT_EQ(value, c.result == ERROR_SUCCESS ? std::string(c.length, 'p') : "unchanged");
    }
    std::string value;
    EXPECT_EQ(key.QueryStringValue("LastPath", value, 1000), ERROR_SUCCESS);
}

TEST_F(RegistryTest, OpenAndQueryFailures)
{
    CRegKey key;
    EXPECT_EQ(key.Open("Software\\Velmora\\Missing", KEY_READ), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(key.IsOpen());
    std::string value;
    EXPECT_EQ(key.QueryStringValue("Rename", value), ERROR_INVALID_HANDLE);
    ASSERT_EQ(key.Open("software\\velmora\\SONADEX PRO", KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(key.QueryStringValue("rename", value), ERROR_SUCCESS);
    EXPECT_EQ(value, "%1 - %2");
    EXPECT_EQ(key.QueryStringValue("Nothing", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.QueryStringValue("Count", value), ERROR_INVALID_DATA);
    EXPECT_EQ(key.SetStringValue("Rename", "x"), ERROR_ACCESS_DENIED); // opened for reading only
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
    EXPECT_FALSE(key.IsOpen());
}

TEST_F(RegistryTest, WriteKeepsEverythingElse)
{
    const std::string before = Hive();
    CRegKey key;
    ASSERT_EQ(key.Open(kProgramKey, KEY_WRITE), ERROR_SUCCESS);
    EXPECT_EQ(key.SetStringValue("LastPath", "C:\\Musik\\\"Rock\""), ERROR_SUCCESS);
    EXPECT_EQ(key.SetStringValue("rename", "%2"), ERROR_SUCCESS);
    const std::string after = Hive();
    EXPECT_NE(after.find("[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n"), std::string::npos);
    EXPECT_NE(after.find("\"Count\"=dword:00000001\r\n"), std::string::npos);
    EXPECT_NE(after.find("\"LastPath\"=\"C:\\\\Musik\\\\\\\"Rock\\\"\"\r\n"), std::string::npos);
    EXPECT_NE(after.find("\"Rename\"=\"%2\"\r\n"), std::string::npos);
    std::string value;
    ASSERT_EQ(key.QueryStringValue("LastPath", value), ERROR_SUCCESS);
    EXPECT_EQ(value, "C:\\Musik\\\"Rock\"");
    // No temporary file is left beside the hive.
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(m_machine.HiveFile()).parent_path()))
        EXPECT_TRUE(entry.path().filename() == "hklm.reg" || entry.path().filename() == "hklm.reg.lock" ||
                    entry.path() == m_machine.Root() || entry.path() == m_machine.StateHome())
            << entry.path();
    EXPECT_EQ(key.SetStringValue("Bad", "a\nb"), ERROR_INVALID_DATA);
}

TEST_F(RegistryTest, WriteToAKeyThatIsGoneFailsAndChangesNothing)
{
    CRegKey key;
    ASSERT_EQ(key.Open(kProgramKey, KEY_WRITE), ERROR_SUCCESS);
    const std::string withoutKey = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n\"x\"=\"y\"\r\n";
    ReplaceHive(withoutKey);
    EXPECT_EQ(key.SetStringValue("Rename", "x"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Hive(), withoutKey);
}

TEST_F(RegistryTest, ReadOnlyHiveRefusesWritesAndStaysUnchanged)
{
    CRegKey writer;
    ASSERT_EQ(writer.Open(kProgramKey, KEY_WRITE), ERROR_SUCCESS);
    const std::string before = Hive();
    ASSERT_EQ(chmod(m_machine.HiveFile().c_str(), 0444), 0);
    CRegKey key;
    EXPECT_EQ(key.Open(kProgramKey, KEY_WRITE), ERROR_ACCESS_DENIED);
    EXPECT_EQ(key.Open(kProgramKey, KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(writer.SetStringValue("Rename", "changed"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Hive(), before);
}

TEST_F(RegistryTest, ALineNotUnderstoodSurvivesWritesAndIsNamedOnce)
{
    const std::string broken = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n"
                               "garbage \x1b[31m line\r\n\"Rename\"=\"%2\"\r\n";
    ReplaceHive(broken);
    testing::internal::CaptureStderr();
    CRegKey key;
    ASSERT_EQ(key.Open(kProgramKey, KEY_WRITE), ERROR_SUCCESS);
    std::string value;
    ASSERT_EQ(key.QueryStringValue("Rename", value), ERROR_SUCCESS);
    EXPECT_EQ(value, "%2");
    EXPECT_EQ(key.SetStringValue("LastPath", "C:\\x"), ERROR_SUCCESS);
    EXPECT_EQ(key.SetStringValue("LastPath", "C:\\y"), ERROR_SUCCESS);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Hive(), "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n"
                      "garbage \x1b[31m line\r\n\"Rename\"=\"%2\"\r\n\"LastPath\"=\"C:\\\\y\"\r\n");
    const std::string named = m_machine.HiveFile() + ", line 3: not understood, kept as it is: garbage ?[31m line\n";
    ASSERT_NE(errors.find(named), std::string::npos) << errors;
    EXPECT_EQ(errors.find(named), errors.rfind(named)) << "named once: " << errors;
}

// A hive path that names no usable file (a folder, a FIFO, a device, a binary
// or an oversized file) is read without blocking or filling the memory,
// gives a problem naming what is wrong, and is never written or locked.
TEST_F(RegistryTest, AHivePathThatIsNoUsableFileIsRefusedAndLeftAlone)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(m_machine.Root()).parent_path() / "hostile";
    fs::create_directories(folder);
    const fs::path fifo = folder / "fifo.reg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directories(folder / "folder.reg");
    fs::create_symlink("/dev/zero", folder / "zero.reg");
    std::ofstream(folder / "binary.reg", std::ios::binary)
        << std::string("\177ELF\x00\x01\x02", 7) << std::string(5000, '\0');
    std::ofstream(folder / "huge.reg", std::ios::binary)
        << "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"v\"=\"" << std::string(10 << 20, 'x') << "\"\r\n";
    const struct {
        const char* name;
        const char* problem;
    } cases[] = {
        {"folder.reg", "is not a regular file"}, {"fifo.reg", "is not a regular file"},
        {"zero.reg", "is not a regular file"},   {"binary.reg", "is not a REGEDIT4 file"},
        {"huge.reg", "is larger than 1024 KiB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (folder / c.name).string();
        const CHive::Loaded loaded = CHive::Load(path);
        EXPECT_FALSE(loaded.hive);
        EXPECT_EQ(loaded.problem, "settings file " + path + " " + c.problem);
        bool edited = false;
        std::string problem;
        EXPECT_FALSE(UpdateHiveFile(
            path, [&](CHive&) { return edited = true; }, &problem));
        EXPECT_FALSE(edited);
        EXPECT_EQ(problem, loaded.problem);
        EXPECT_FALSE(fs::exists(path + ".lock"));
        setenv("SONADEX_HIVE", path.c_str(), 1);
        CRegKey key;
        EXPECT_EQ(key.Open(kProgramKey, KEY_READ), ERROR_FILE_NOT_FOUND);
        setenv("SONADEX_HIVE", m_machine.HiveFile().c_str(), 1);
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_symlink(folder / "zero.reg"));
    EXPECT_EQ(fs::file_size(folder / "binary.reg"), 5007u);
    EXPECT_TRUE(fs::is_empty(folder / "folder.reg"));
    fs::remove_all(folder);
}

TEST_F(RegistryTest, ARefusedWriteSaysWhy)
{
    const std::string before = Hive();
    ASSERT_EQ(chmod(m_machine.HiveFile().c_str(), 0444), 0);
    std::string problem;
    EXPECT_FALSE(UpdateHiveFile(
        m_machine.HiveFile(), [](CHive&) { return true; }, &problem));
    EXPECT_EQ(problem, "settings file " + m_machine.HiveFile() + " is read-only");
    EXPECT_EQ(Hive(), before);
    // An edit that abandons the write is no problem.
    ASSERT_EQ(chmod(m_machine.HiveFile().c_str(), 0644), 0);
    EXPECT_FALSE(UpdateHiveFile(
        m_machine.HiveFile(), [](CHive&) { return false; }, &problem));
    EXPECT_EQ(problem, "");
}

TEST_F(RegistryTest, UpdateStartsAMissingHive)
{
    const std::string path = m_machine.Host("config/sub/hklm.reg");
    ASSERT_TRUE(UpdateHiveFile(path, [](CHive& hive) {
        hive.AddKey(kProgramKey);
        return hive.Set(kProgramKey, "Prompt", "FALSE");
    }));
    EXPECT_EQ(m_machine.ReadFile("config/sub/hklm.reg"),
              "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n\"Prompt\"=\"FALSE\"\r\n");
    EXPECT_FALSE(UpdateHiveFile(path, [](CHive&) { return false; }));
}

TEST_F(RegistryTest, ConcurrentWritersFromTwoProcessesAllLand)
{
    constexpr int kWrites = 50;
    pid_t children[2] = {};
    for (int child = 0; child < 2; ++child) {
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            CRegKey key;
            int failures = key.Open(kProgramKey, KEY_WRITE) != ERROR_SUCCESS;
            for (int i = 0; i < kWrites; ++i)
                failures +=
                    key.SetStringValue(std::string(1, char('A' + child)) + std::to_string(i), "v") != ERROR_SUCCESS;
            _exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const CHive hive = CHive::LoadFile(m_machine.HiveFile());
    for (const char prefix : {'A', 'B'})
        for (int i = 0; i < kWrites; ++i)
            EXPECT_EQ(hive.Get(kProgramKey, std::string(1, prefix) + std::to_string(i)), "v") << prefix << i;
    EXPECT_EQ(hive.Get(kProgramKey, "Rename"), "%1 - %2");
}

// A hive kept elsewhere behind a link (a dotfiles folder) stays behind it:
// the write replaces the file the link names, with that file's mode.
TEST_F(RegistryTest, AHiveThatIsALinkKeepsBeingOne)
{
    namespace fs = std::filesystem;
    const fs::path hive = m_machine.HiveFile();
    const fs::path real = hive.parent_path() / "dotfiles" / "hklm.reg";
    fs::create_directories(real.parent_path());
    fs::rename(hive, real);
    chmod(real.c_str(), 0600);
    fs::create_symlink(fs::relative(real, hive.parent_path()), hive);

    CRegKey key;
    ASSERT_EQ(key.Open(kProgramKey, KEY_WRITE), ERROR_SUCCESS);
    ASSERT_EQ(key.SetStringValue("Rename", "%2"), ERROR_SUCCESS);

    EXPECT_TRUE(fs::is_symlink(hive));
    EXPECT_NE(Hive().find("\"Rename\"=\"%2\""), std::string::npos);
    struct stat info {};
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(real.parent_path()), fs::directory_iterator()), 1);
}

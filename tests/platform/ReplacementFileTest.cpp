#include "platform/ReplacementFile.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

namespace fs = std::filesystem;
using platform::CReplacementFile;
using Link = CReplacementFile::Link;

namespace {

constexpr mode_t kNewMode = 0640;

class ReplacementFileTest : public testing::Test {
protected:
    mode_t ModeOf(const std::string& rel) const
    {
        struct stat info {};
        EXPECT_EQ(stat(m_machine.Host(rel).c_str(), &info), 0) << rel;
        return info.st_mode & 07777;
    }
    // The names in folder rel, so that a temporary file left behind shows.
    std::vector<std::string> Names(const std::string& rel) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_machine.Host(rel)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempMachine m_machine;
};

} // namespace

TEST_F(ReplacementFileTest, NewAndExistingTargetsGetTheBytesAndTheirModes)
{
    m_machine.MakeDir("d");
    m_machine.WriteFile("d/old.reg", "old bytes");
    chmod(m_machine.Host("d/old.reg").c_str(), 0604);

    ASSERT_TRUE(platform::ReplaceFileWith(m_machine.Host("d/old.reg"), "new bytes", kNewMode));
    ASSERT_TRUE(platform::ReplaceFileWith(m_machine.Host("d/fresh.reg"), std::string("a\0b", 3), kNewMode));

    EXPECT_EQ(m_machine.ReadFile("d/old.reg"), "new bytes");
    EXPECT_EQ(ModeOf("d/old.reg"), 0604u); // the target's own bits survive
    EXPECT_EQ(m_machine.ReadFile("d/fresh.reg"), std::string("a\0b", 3));
    EXPECT_EQ(ModeOf("d/fresh.reg"), kNewMode);
    EXPECT_EQ(Names("d"), (std::vector<std::string>{"fresh.reg", "old.reg"}));
}

// A target that is a link: kept as a link with its file replaced, or replaced
// itself, as the caller asks; the temporary file sits beside what is replaced.
TEST_F(ReplacementFileTest, ALinkIsKeptOrReplacedAsAsked)
{
    for (const Link link : {Link::kKeepLink, Link::kReplaceLink}) {
        const bool keep = link == Link::kKeepLink;
        SCOPED_TRACE(keep ? "keep link" : "replace link");
        const std::string folder = keep ? "keep" : "replace";
        m_machine.MakeDir(folder + "/real");
        m_machine.WriteFile(folder + "/real/hive.reg", "old");
        fs::create_symlink("real/hive.reg", m_machine.Host(folder + "/link.reg"));

        std::optional<CReplacementFile> file =
            CReplacementFile::CreateBeside(m_machine.Host(folder + "/link.reg"), "link.reg.", link);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(fs::path(file->HostPath()).parent_path(), fs::path(m_machine.Host(keep ? folder + "/real" : folder)));
        ASSERT_TRUE(file->Write("new"));
        ASSERT_TRUE(file->Replace(kNewMode));

        EXPECT_EQ(fs::is_symlink(m_machine.Host(folder + "/link.reg")), keep);
        EXPECT_EQ(m_machine.ReadFile(folder + "/link.reg"), "new");
        EXPECT_EQ(m_machine.ReadFile(folder + "/real/hive.reg"), keep ? "new" : "old");
        EXPECT_EQ(Names(folder + "/real"), std::vector<std::string>{"hive.reg"});
    }
}

// A rename that fails (the target is a folder that is not empty) leaves the
// target as it was, and no temporary file stays once the attempt is over.
TEST_F(ReplacementFileTest, AFailedReplaceLeavesTheTargetAndNoTemporaryFile)
{
    m_machine.MakeDir("d/target");
    m_machine.WriteFile("d/target/inside", "kept");
    {
        std::optional<CReplacementFile> file = CReplacementFile::CreateBeside(m_machine.Host("d/target"), ".t-");
        ASSERT_TRUE(file.has_value());
        ASSERT_TRUE(file->Write("new"));
        EXPECT_FALSE(file->Replace(kNewMode));
        EXPECT_FALSE(file->Replace(kNewMode)); // a second try finds the file closed
    }
    EXPECT_TRUE(fs::is_directory(m_machine.Host("d/target")));
    EXPECT_EQ(m_machine.ReadFile("d/target/inside"), "kept");
    EXPECT_EQ(Names("d"), std::vector<std::string>{"target"});
}

TEST_F(ReplacementFileTest, NoFileCanBeMadeInAFolderThatIsNotThere)
{
    EXPECT_FALSE(CReplacementFile::CreateBeside(m_machine.Host("missing/x.reg"), "x.").has_value());
    EXPECT_FALSE(platform::ReplaceFileWith(m_machine.Host("missing/x.reg"), "x", kNewMode));
    EXPECT_FALSE(m_machine.Exists("missing"));
}

TEST(NewFileMode, FollowsTheUmask)
{
    for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}}) {
        SCOPED_TRACE(mask);
        const mode_t before = umask(mask);
        const mode_t mode = platform::NewFileMode();
        umask(before);
        EXPECT_EQ(mode, 0666 & ~mask);
    }
}

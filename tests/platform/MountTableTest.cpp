#include "platform/MountTable.h"

#include "TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using platform::DriveTable;
using platform::DriveType;
using platform::MountTable;

namespace {

// A made-up host: its own /sys/block, /dev/disk/by-label and mount folders.
class FakeHost : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* dir :
             {"media/u/MY STICK", "mnt/cd", "mnt/nas", "run/media/u/DATA", "home/u", "dev/disk/by-label"})
            fs::create_directories(Path(dir));
        Write("sys/block/sda/removable", "0\n");
        Write("sys/block/sdb/removable", "1\n");
        Write("sys/block/nvme0n1/removable", "0\n");
        fs::create_symlink("../../sdb1", Path("dev/disk/by-label/MY\\x20STICK"));
        fs::create_symlink("../../sda2", Path("dev/disk/by-label/ROOTFS"));
    }

    std::string Path(const std::string& rel) const { return m_machine.Root() + "/" + rel; }

    void Write(const std::string& rel, const std::string& text) const
    {
        fs::create_directories(fs::path(Path(rel)).parent_path());
        std::ofstream(Path(rel)) << text;
    }

    MountTable Mounts() const { return MountTable(kMounts, m_machine.Root()); }

    static constexpr const char* kMounts = "/dev/sda2 / ext4 rw,relatime 0 0\n"
                                           "proc /proc proc rw 0 0\n"
                                           "/dev/sdb1 /media/u/MY\\040STICK vfat rw 0 0\n"
                                           "/dev/sr0 /mnt/cd iso9660 ro 0 0\n"
                                           "server:/export /mnt/nas nfs4 rw 0 0\n"
                                           "/dev/nvme0n1p1 /run/media/u/DATA ext4 rw 0 0\n"
                                           "/dev/sdc1 /run/media/other/X ext4 rw 0 0\n"
                                           "/dev/sdd1 /mnt/gone ext4 rw 0 0\n"
                                           "garbage\n";
    TempMachine m_machine;
};

} // namespace

TEST_F(FakeHost, DefaultTableAllocatesLettersFromDSkippingH)
{
    const DriveTable table = DriveTable::FromMounts(Mounts(), "/home/u", "u");
    const struct {
        char letter;
        const char* root;
        const char* label;
    } expected[] = {
        {'C', "/", "ROOTFS"},   {'D', "/media/u/MY STICK", "MY STICK"}, {'E', "/mnt/cd", ""},
        {'F', "/mnt/nas", ""},  {'G', "/run/media/u/DATA", ""},         {'H', "/home/u", "u"},
        {'I', "/mnt/gone", ""},
    };
    ASSERT_EQ(table.Drives().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(expected[i].letter);
        EXPECT_EQ(table.Drives()[i].letter, expected[i].letter);
        EXPECT_EQ(table.Drives()[i].root, expected[i].root);
        EXPECT_EQ(table.Drives()[i].label, expected[i].label);
    }
}

TEST_F(FakeHost, DriveTypeComesFromTheMountHoldingTheRoot)
{
    const DriveTable table = DriveTable::FromMounts(Mounts(), "/home/u", "u");
    const MountTable mounts = Mounts();
    const struct {
        char letter;
        DriveType type;
    } expected[] =
        {
            {'C', DriveType::Fixed},     {'D', DriveType::Removable}, {'E', DriveType::CdRom},
            {'F', DriveType::Remote},    {'G', DriveType::Fixed},     {'H', DriveType::Fixed},
            {'I', DriveType::NoRootDir}, // mounted once, its folder is gone now
            {'Q', DriveType::NoRootDir}, // not mapped
        };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.letter);
        EXPECT_EQ(table.TypeOf(e.letter, mounts), e.type);
    }
}

TEST_F(FakeHost, FolderInsideAMountTakesThatMountsType)
{
    fs::create_directories(Path("media/u/MY STICK/Musik"));
    const MountTable mounts = Mounts();
    EXPECT_EQ(mounts.TypeOfRoot("/media/u/MY STICK/Musik"), DriveType::Removable);
    EXPECT_EQ(mounts.TypeOfRoot("/media/u"), DriveType::Fixed);
}

TEST_F(FakeHost, MapperDeviceIsFollowedToItsKernelName)
{
    fs::create_directories(Path("dev/mapper"));
    fs::create_symlink("../dm-0", Path("dev/mapper/crypt"));
    Write("sys/block/dm-0/removable", "1\n");
    fs::create_symlink("../../dm-0", Path("dev/disk/by-label/SECRET"));
    const MountTable mounts("/dev/mapper/crypt /mnt/cd ext4 rw 0 0\n", m_machine.Root());
    EXPECT_EQ(mounts.TypeOfRoot("/mnt/cd"), DriveType::Removable);
    EXPECT_EQ(mounts.LabelOf(mounts.Mounts().front()), "SECRET");
}

TEST(MountTable, LaterMountOverTheSameFolderWins)
{
    const MountTable mounts("/dev/sda1 /mnt/x ext4 rw 0 0\nserver:/e /mnt/x nfs rw 0 0\n", "/nonexistent");
    ASSERT_NE(mounts.Holding("/mnt/x/y"), nullptr);
    EXPECT_EQ(mounts.Holding("/mnt/x/y")->type, "nfs");
    EXPECT_EQ(mounts.Holding("/mnt/xy"), nullptr);
}

TEST(MountTable, EscapesAreUndone)
{
    EXPECT_EQ(platform::UnescapeMountField("/media/a\\040b\\011c\\134d\\012"), "/media/a b\tc\\d\n");
    EXPECT_EQ(platform::UnescapeMountField("trailing\\04"), "trailing\\04");
    EXPECT_EQ(platform::UnescapeLabel("My\\x20Music\\x2fx"), "My Music/x");
    EXPECT_EQ(platform::UnescapeLabel("bad\\xZZ\\x2"), "bad\\xZZ\\x2");
}

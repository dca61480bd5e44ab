#include "platform/File.h"

#include "ChildProcess.h"
#include "TempMachine.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

using platform::CFile;
using platform::CFileException;

namespace {

class FileTest : public testing::Test {
protected:
    TempMachine m_machine;
};

std::string ReadAll(CFile& file)
{
    std::string text(static_cast<std::size_t>(file.GetLength()), '\0');
    file.Seek(0, CFile::begin);
    text.resize(file.Read(text.data(), text.size()));
    return text;
}

// A child process that holds a file open through CFile until told to let go.
class HoldingChild {
public:
    explicit HoldingChild(const std::string& systemPath)
    {
        if (pipe(m_ready) != 0 || pipe(m_release) != 0) throw std::runtime_error("pipe");
        m_pid = fork();
        if (m_pid == 0) {
            CFile file;
            const char status = file.Open(systemPath, CFile::modeRead) ? 'y' : 'n';
            (void)!write(m_ready[1], &status, 1);
            char ignored = 0;
            (void)!read(m_release[0], &ignored, 1);
            _exit(0);
        }
        char status = 0;
        m_opened = read(m_ready[0], &status, 1) == 1 && status == 'y';
    }
    ~HoldingChild()
    {
        const char go = 'g';
        (void)!write(m_release[1], &go, 1);
        waitpid(m_pid, nullptr, 0);
        for (int fd : {m_ready[0], m_ready[1], m_release[0], m_release[1]})
            close(fd);
    }
    bool Opened() const { return m_opened; }

private:
    int m_ready[2] = {-1, -1};
    int m_release[2] = {-1, -1};
    pid_t m_pid = -1;
    bool m_opened = false;
};

} // namespace

TEST_F(FileTest, CreateWriteAndReadBack)
{
    CFile file;
    ASSERT_TRUE(file.Open(m_machine.Sys("new.mp3"), CFile::modeCreate | CFile::modeReadWrite));
    EXPECT_EQ(file.GetFilePath(), m_machine.Sys("new.mp3"));
    const std::string bytes(300, 'x');
    file.Write(bytes.data(), bytes.size());
    EXPECT_EQ(file.GetLength(), 300u);
    EXPECT_EQ(file.Seek(-128, CFile::end), 172u);
    file.Write("TAG", 3);
    EXPECT_EQ(file.Seek(0, CFile::current), 175u);
    file.SetLength(175);
    file.Flush();
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(m_machine.ReadFile("new.mp3"), std::string(172, 'x') + "TAG");
}

TEST_F(FileTest, ReadAtAndWriteAtLeaveThePositionAlone)
{
    m_machine.WriteFile("a.mp3", "0123456789");
    CFile file;
    ASSERT_TRUE(file.Open(m_machine.Sys("a.mp3"), CFile::modeReadWrite));
    EXPECT_EQ(file.Seek(2, CFile::begin), 2u);
    char bytes[4] = {};
    EXPECT_EQ(file.ReadAt(6, bytes, 4), 4u);
    EXPECT_EQ(std::string(bytes, 4), "6789");
    EXPECT_EQ(file.ReadAt(8, bytes, 4), 2u); // stops at the end
    EXPECT_EQ(file.ReadAt(20, bytes, 4), 0u);
    file.WriteAt(4, "ab", 2);
    EXPECT_EQ(file.Seek(0, CFile::current), 2u);
    EXPECT_EQ(file.Read(bytes, 3), 3u);
    EXPECT_EQ(std::string(bytes, 3), "23a");
    file.Close();
    EXPECT_EQ(m_machine.ReadFile("a.mp3"), "0123ab6789");
}

// The length comes from the open and is then kept by the object itself.
TEST_F(FileTest, LengthFollowsEveryChangeMadeThroughTheFile)
{
    const struct {
        const char* label;
        void (*change)(CFile&);
        std::uint64_t length;
    } cases[] = {
        {"nothing", [](CFile&) {}, 10},
        {"WriteAt inside", [](CFile& f) { f.WriteAt(2, "xy", 2); }, 10},
        {"WriteAt across the end", [](CFile& f) { f.WriteAt(8, "xyz", 3); }, 11},
        {"WriteAt past the end", [](CFile& f) { f.WriteAt(20, "x", 1); }, 21},
        {"Write at the end",
         [](CFile& f) {
             f.SeekToEnd();
             f.Write("xyz", 3);
         },
         13},
        {"Write inside",
         [](CFile& f) {
             f.Seek(1, CFile::begin);
             f.Write("xyz", 3);
         },
         10},
        {"SetLength shorter", [](CFile& f) { f.SetLength(4); }, 4},
        {"SetLength longer, then WriteAt",
         [](CFile& f) {
             f.SetLength(30);
             f.WriteAt(0, "x", 1);
         },
         30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        m_machine.WriteFile("a.mp3", "0123456789");
        CFile file;
        ASSERT_TRUE(file.Open(m_machine.Sys("a.mp3"), CFile::modeReadWrite));
        c.change(file);
        EXPECT_EQ(file.GetLength(), c.length);
        file.Close();
        EXPECT_EQ(m_machine.ReadFile("a.mp3").size(), c.length);
    }
}

TEST_F(FileTest, OpenWithoutCreateNeverCreates)
{
    CFile file;
    for (unsigned flags : {unsigned(CFile::modeRead), unsigned(CFile::modeWrite), unsigned(CFile::modeReadWrite)}) {
        SCOPED_TRACE(flags);
        EXPECT_FALSE(file.Open(m_machine.Sys("missing.mp3"), flags));
        EXPECT_EQ(file.LastError(), ENOENT);
    }
    EXPECT_FALSE(m_machine.Exists("missing.mp3"));
}

TEST_F(FileTest, CreateEmptiesAnExistingFileUnlessNoTruncate)
{
    m_machine.WriteFile("a.mp3", "old bytes");
    {
        CFile file;
        ASSERT_TRUE(file.Open(m_machine.Sys("a.mp3"), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite));
        EXPECT_EQ(file.GetLength(), 9u);
    }
    CFile file;
    ASSERT_TRUE(file.Open(m_machine.Sys("a.mp3"), CFile::modeCreate | CFile::modeWrite));
    EXPECT_EQ(file.GetLength(), 0u);
}

// No write bit: read-only for every user, root included. Each way of
// opening for writing fails with EACCES and leaves the bytes alone; reading works.
TEST_F(FileTest, ReadOnlyFileOpensForReadingOnly)
{
    const bool asRoot = geteuid() == 0;
    m_machine.MakeDir("ro");
    m_machine.WriteFile("ro/a.mp3", "content");
    chmod(m_machine.Host("ro/a.mp3").c_str(), 0444);
    for (const std::string& up : {m_machine.Root(), m_machine.Root() + "/.."})
        chmod(up.c_str(), 0711);
    const struct {
        const char* what;
        unsigned flags;
        bool opens;
    } cases[] = {
        {"read", CFile::modeRead, true},
        {"write", CFile::modeWrite, false},
        {"read and write", CFile::modeReadWrite, false},
        {"create (would empty it)", CFile::modeCreate | CFile::modeWrite, false},
        {"create, no truncate", CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto check = [&] {
            CFile file;
            const bool opened = file.Open(m_machine.Sys("ro/a.mp3"), c.flags);
            if (opened != c.opens) return 1;
            return opened || file.LastError() == EACCES ? 0 : 2;
        };
        EXPECT_EQ(check(), 0) << (asRoot ? "as root" : "as this user");
        if (asRoot) {
            EXPECT_EQ(RunInChild([&] { return BecomeNobody() ? check() : 10; }), 0) << "as nobody";
        }
        EXPECT_EQ(m_machine.ReadFile("ro/a.mp3"), "content");
    }
    // Creating a new file beside it is not affected.
    CFile file;
    EXPECT_TRUE(file.Open(m_machine.Sys("ro/new.mp3"), CFile::modeCreate | CFile::modeWrite));
}

TEST_F(FileTest, SecondOpenerFailsWhileTheFirstHoldsTheFile)
{
    m_machine.WriteFile("a.mp3", "content");
    const unsigned modes[] = {CFile::modeRead, CFile::modeWrite, CFile::modeReadWrite,
                              CFile::modeCreate | CFile::modeWrite};
    for (unsigned first : modes) {
        for (unsigned second : modes) {
            SCOPED_TRACE(std::to_string(first) + " then " + std::to_string(second));
            CFile holder;
            ASSERT_TRUE(holder.Open(m_machine.Sys("a.mp3"), first & ~unsigned(CFile::modeCreate)));
            CFile other;
            EXPECT_FALSE(other.Open(m_machine.Sys("a.mp3"), second));
            EXPECT_EQ(other.LastError(), EWOULDBLOCK);
            // The refused opener must not have emptied the held file.
            EXPECT_EQ(m_machine.ReadFile("a.mp3"), "content");
            holder.Close();
            EXPECT_TRUE(other.Open(m_machine.Sys("a.mp3"), CFile::modeRead));
        }
    }
}

TEST_F(FileTest, OpenFailsWhileAnotherProcessHoldsTheFile)
{
    m_machine.WriteFile("a.mp3", "content");
    CFile file;
    {
        HoldingChild child(m_machine.Sys("a.mp3"));
        ASSERT_TRUE(child.Opened());
        EXPECT_FALSE(file.Open(m_machine.Sys("a.mp3"), CFile::modeReadWrite));
    }
    EXPECT_TRUE(file.Open(m_machine.Sys("a.mp3"), CFile::modeReadWrite));
}

TEST_F(FileTest, FolderAndOtherNonFilesDoNotOpen)
{
    m_machine.MakeDir("Musik");
    ASSERT_EQ(mkfifo(m_machine.Host("pipe").c_str(), 0600), 0);
    const struct {
        const char* rel;
        unsigned flags;
        int error;
    } cases[] = {
        {"Musik", CFile::modeRead, EISDIR},
        {"Musik", CFile::modeReadWrite, EISDIR},
        {"Musik", CFile::modeCreate | CFile::modeWrite, EISDIR},
        {"pipe", CFile::modeRead, EINVAL}, // must fail at once, not wait for a writer
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rel);
        CFile file;
        EXPECT_FALSE(file.Open(m_machine.Sys(c.rel), c.flags));
        EXPECT_EQ(file.LastError(), c.error);
    }
}

TEST_F(FileTest, UnmappedDriveAndClimbingPathDoNotOpen)
{
    m_machine.WriteFile("a.mp3", "x");
    for (const char* path : {"Q:\\a.mp3", "C:\\..\\c\\a.mp3", ""}) {
        SCOPED_TRACE(path);
        CFile file;
        EXPECT_FALSE(file.Open(path, CFile::modeRead));
        EXPECT_FALSE(file.IsOpen());
    }
}

TEST_F(FileTest, FailureAfterOpenThrowsWithErrno)
{
    m_machine.WriteFile("a.mp3", "abc");
    CFile file;
    ASSERT_TRUE(file.Open(m_machine.Sys("a.mp3"), CFile::modeRead));
    try {
        file.Write("x", 1);
        FAIL() << "writing a read-only file did not throw";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.OsError(), EBADF);
        EXPECT_EQ(e.Path(), m_machine.Sys("a.mp3"));
    }
    EXPECT_THROW(file.Seek(-10, CFile::begin), CFileException);
    EXPECT_THROW(file.SetLength(0), CFileException);
    EXPECT_THROW(file.WriteAt(0, "x", 1), CFileException);
    EXPECT_EQ(file.GetLength(), 3u);
    file.Close();
    char byte = 0;
    EXPECT_THROW(file.Read(&byte, 1), CFileException);
    EXPECT_THROW(file.ReadAt(0, &byte, 1), CFileException);
    EXPECT_THROW(file.GetLength(), CFileException);
    EXPECT_EQ(m_machine.ReadFile("a.mp3"), "abc");
}

TEST_F(FileTest, MovedFileKeepsItsLock)
{
    m_machine.WriteFile("a.mp3", "content");
    CFile first;
    ASSERT_TRUE(first.Open(m_machine.Sys("a.mp3"), CFile::modeRead));
    CFile second(std::move(first));
    EXPECT_FALSE(first.IsOpen());
    EXPECT_EQ(ReadAll(second), "content");
    CFile third;
    EXPECT_FALSE(third.Open(m_machine.Sys("a.mp3"), CFile::modeRead));
    third = std::move(second);
    EXPECT_TRUE(third.IsOpen());
    third.Close();
    CFile fourth;
    EXPECT_TRUE(fourth.Open(m_machine.Sys("a.mp3"), CFile::modeRead));
}

TEST_F(FileTest, NonAsciiNameIsTheHostsOwnBytes)
{
    m_machine.WriteFile("M\xC3\xBCller.mp3", "x"); // Müller in UTF-8 on the host
    CFile file;
    EXPECT_TRUE(file.Open("C:\\M\xC3\xBCller.mp3", CFile::modeRead));
    file.Close();
    // The code-page spelling names another file, which is not there.
    EXPECT_FALSE(file.Open("C:\\M\xFCller.mp3", CFile::modeRead));
}

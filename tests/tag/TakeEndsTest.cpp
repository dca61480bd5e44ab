// A batch read through platform::CFileEndsReader, taken by CId3v1Tag::TakeEnds,
// must leave the tag exactly as OpenIn leaves it, whichever calls the reader makes.
#include "tag/Id3v1Tag.h"

#include "TagBytes.h"
#include "TempMachine.h"
#include "platform/FileEndsReader.h"
#include "platform/UniqueFd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

using platform::CFileEndsReader;
using tagbytes::SilentFrames;
using tagbytes::TaggedFile;

struct EndsCase {
    const char* name;
    int openError;                // expected of a read
    bool sameFileEarlier = false; // another name of this file comes before it
};

// "link" leads to "tagged"; "pair" and "pair.b" are one file.
const EndsCase kCases[] = {
    {"tagged.mp3", 0},         {"untagged.mp3", 0},     {"v2.mp3", 0},           {"exactly128.mp3", 0},
    {"just129.mp3", 0},        {"empty.mp3", 0},        {"id.mp3", 0},           {"folder.mp3", EISDIR},
    {"fifo.mp3", EINVAL},      {"missing.mp3", ENOENT}, {"link.mp3", 0, true},   {"dangling.mp3", ENOENT},
    {"held.mp3", EWOULDBLOCK}, {"pair.mp3", 0},         {"pair.b.mp3", 0, true},
};

// Read in one batch, the second name of a file finds the lock its first name took.
int ExpectedOpenError(const EndsCase& c, const CFileEndsReader& reader)
{
    return reader.IsBatched() && c.sameFileEarlier ? EWOULDBLOCK : c.openError;
}

class TakeEndsTest : public testing::TestWithParam<CFileEndsReader::Calls> {
protected:
    void SetUp() override
    {
        const std::string tag = TaggedFile({"Title", "Artist", "Album", "1999", "Comment", 17});
        m_machine.MakeDir("f");
        m_machine.WriteFile("f/tagged.mp3", tag);
        m_machine.WriteFile("f/untagged.mp3", SilentFrames(2));
        // Put together by appends: GCC 12 at -O3 warns falsely on "literal" + string.
        m_machine.WriteFile("f/v2.mp3", std::string("ID3\x04").append(tag));
        m_machine.WriteFile("f/exactly128.mp3", tag.substr(tag.size() - 128));
        m_machine.WriteFile("f/just129.mp3", std::string("x").append(tag, tag.size() - 128));
        m_machine.WriteFile("f/empty.mp3", "");
        m_machine.WriteFile("f/id.mp3", "ID");
        m_machine.WriteFile("f/pair.mp3", tag);
        m_machine.WriteFile("f/held.mp3", tag);
        m_machine.MakeDir("f/folder.mp3");
        ASSERT_EQ(mkfifo(m_machine.Host("f/fifo.mp3").c_str(), 0644), 0);
        ASSERT_EQ(symlink("tagged.mp3", m_machine.Host("f/link.mp3").c_str()), 0);
        ASSERT_EQ(symlink("nowhere.mp3", m_machine.Host("f/dangling.mp3").c_str()), 0);
        ASSERT_EQ(link(m_machine.Host("f/pair.mp3").c_str(), m_machine.Host("f/pair.b.mp3").c_str()), 0);
        ASSERT_TRUE(m_holder.Open(m_machine.Sys("f/held.mp3"), platform::CFile::modeRead));
        m_folder = platform::UniqueFd(open(m_machine.Host("f").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        ASSERT_TRUE(m_folder.IsValid());
    }

    TempMachine m_machine;
    platform::CFile m_holder;
    platform::UniqueFd m_folder;
};

void ExpectSameTag(const CId3v1Tag& taken, const CId3v1Tag& opened)
{
    EXPECT_EQ(taken.GetLastError(), opened.GetLastError());
    EXPECT_EQ(taken.HasTag(), opened.HasTag());
    EXPECT_EQ(taken.HasId3v2(), opened.HasId3v2());
    EXPECT_EQ(taken.GetFileLength(), opened.GetFileLength());
    EXPECT_EQ(taken.GetPath(), opened.GetPath());
    EXPECT_EQ(taken.GetRecord(), opened.GetRecord());
    EXPECT_EQ(taken.GetOpenState().device, opened.GetOpenState().device);
    EXPECT_EQ(taken.GetOpenState().inode, opened.GetOpenState().inode);
    EXPECT_EQ(taken.GetOpenState().length, opened.GetOpenState().length);
    EXPECT_EQ(taken.GetOpenState().tail, opened.GetOpenState().tail);
}

TEST_P(TakeEndsTest, ABatchReadsEachFileAsOpenReadsIt)
{
    // Where the kernel refuses io_uring a batched reader falls back to plain
    // calls, and must then read every file just as well.
    CFileEndsReader reader(GetParam());
    std::vector<const char*> names;
    for (const EndsCase& c : kCases)
        names.push_back(c.name);
    ASSERT_LE(names.size(), CFileEndsReader::kMostFiles);
    for (const CId3v1Tag::Head head : {CId3v1Tag::Head::Check, CId3v1Tag::Head::Skip}) {
        std::vector<platform::FileEnds> ends(names.size());
        reader.Read(m_folder.Get(), names, head == CId3v1Tag::Head::Check ? CId3v1Tag::kHeadSize : 0, ends);
        for (std::size_t i = 0; i < names.size(); ++i) {
            SCOPED_TRACE(names[i]);
            const int expected = ExpectedOpenError(kCases[i], reader);
            EXPECT_EQ(ends[i].openError, expected);
            EXPECT_EQ(ends[i].readError, 0);
            const std::string path = m_machine.Sys(std::string("f/") + names[i]);
            CId3v1Tag taken;
            const bool tookIt = taken.TakeEnds(ends[i], path, head);
            CId3v1Tag opened;
            const bool openedIt = opened.OpenIn(m_folder.Get(), names[i], path, head);
            if (expected != kCases[i].openError) { // read alone, it opens
                EXPECT_FALSE(tookIt);
                EXPECT_TRUE(openedIt);
                continue;
            }
            EXPECT_EQ(tookIt, openedIt);
            ExpectSameTag(taken, opened);
        }
    }
    // Every file was closed again: the held one aside, each opens now.
    platform::CFile again;
    EXPECT_TRUE(again.Open(m_machine.Sys("f/pair.mp3"), platform::CFile::modeReadWrite));
}

TEST_P(TakeEndsTest, AReusedTagKeepsNothingOfTheFileBefore)
{
    CFileEndsReader reader(GetParam());
    const std::vector<const char*> names = {"tagged.mp3", "missing.mp3", "v2.mp3", "untagged.mp3"};
    std::vector<platform::FileEnds> ends(names.size());
    reader.Read(m_folder.Get(), names, CId3v1Tag::kHeadSize, ends);
    CId3v1Tag tag;
    ASSERT_TRUE(tag.TakeEnds(ends[0], "C:\\f\\tagged.mp3"));
    EXPECT_EQ(tag.GetArtist(), "Artist");
    EXPECT_FALSE(tag.TakeEnds(ends[1], "C:\\f\\missing.mp3"));
    EXPECT_EQ(tag.GetLastError(), ENOENT);
    EXPECT_FALSE(tag.HasTag());
    EXPECT_EQ(tag.GetArtist(), "");
    ASSERT_TRUE(tag.TakeEnds(ends[2], "C:\\f\\v2.mp3"));
    EXPECT_TRUE(tag.HasId3v2());
    ASSERT_TRUE(tag.TakeEnds(ends[3], "C:\\f\\untagged.mp3"));
    EXPECT_FALSE(tag.HasId3v2());
    EXPECT_FALSE(tag.HasTag());
    EXPECT_EQ(tag.GetLastError(), 0);
}

TEST(TakeEnds, AFailedReadRaisesAsOpenWould)
{
    platform::FileEnds ends;
    ends.length = 4096;
    ends.readError = EIO;
    CId3v1Tag tag;
    try {
        tag.TakeEnds(ends, "C:\\x.mp3");
        FAIL() << "no exception";
    } catch (const platform::CFileException& error) {
        EXPECT_EQ(error.OsError(), EIO);
        EXPECT_EQ(error.Path(), "C:\\x.mp3");
    }
}

INSTANTIATE_TEST_SUITE_P(Calls, TakeEndsTest,
                         testing::Values(CFileEndsReader::Calls::Batched, CFileEndsReader::Calls::Plain),
                         [](const testing::TestParamInfo<CFileEndsReader::Calls>& info) {
                             return info.param == CFileEndsReader::Calls::Batched ? "Batched" : "Plain";
                         });

} // namespace

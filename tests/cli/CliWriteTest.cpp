// set, strip and multitag: writing tags, and what happens to files that
// cannot be written.
#include "CliFixture.h"
#include "CliRun.h"

#include <gtest/gtest.h>

namespace {

class CliWrite : public CliTest {};

std::string SpacePadded(const std::string& text, std::size_t width)
{
    return text + std::string(width - text.size(), ' ');
}

TEST_F(CliWrite, SetWritesTheChosenFieldsConvertedToTheCodePage)
{
    const TagBytes old{"Old Title", "Old Artist", "Old Album", "1999", "keep me", 13};
    Write("a.mp3", MakeMp3(&old));
    Write("b.mp3", MakeMp3(nullptr));
    const RunResult result = RunCli({"set", "--json", "--artist", "Mot\xC3\xB6rhead", "--genre", "Heavy Metal",
                                     "--year", "20245", Host("a.mp3"), Host("b.mp3")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(JsonQuery(result.out, "(d['count'], [c['path'] for c in d['changed']], d['failed'])"),
              "(2, ['" + Host("a.mp3") + "', '" + Host("b.mp3") + "'], [])");

    const std::string a = Read("a.mp3");
    ASSERT_EQ(a.size(), 728u); // overwritten in place
    EXPECT_EQ(a.substr(600 + 33, 30), SpacePadded("Mot\xF6rhead", 30));
    EXPECT_EQ(a.substr(600 + 93, 4), "2024");
    EXPECT_EQ(a.substr(600 + 3, 9), "Old Title"); // fields not chosen stay
    EXPECT_EQ(a.substr(600 + 97, 7), "keep me");
    EXPECT_EQ(static_cast<unsigned char>(a[727]), 137);

    const std::string b = Read("b.mp3");
    ASSERT_EQ(b.size(), 728u); // appended
    EXPECT_EQ(b.substr(600, 3), "TAG");
    EXPECT_EQ(b.substr(603, 30), std::string(30, ' '));
}

TEST_F(CliWrite, SetOnAReadOnlyFileFailsForItAloneWithStatusOne)
{
    const TagBytes tag{"T", "A", "", "", "", 1};
    Write("locked.mp3", MakeMp3(&tag));
    Write("ok.mp3", MakeMp3(&tag));
    const std::string lockedBefore = Read("locked.mp3");
    const CReadOnlyFile readOnly(Host("locked.mp3"));
    ASSERT_TRUE(readOnly.Usable()) << "neither the file mode nor the immutable attribute stops a write here";
    const RunResult result = RunCli({"set", "--json", "--title", "New", Host("locked.mp3"), Host("ok.mp3")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(Host("locked.mp3") + ": cannot write"), std::string::npos) << result.err;
    EXPECT_EQ(JsonQuery(result.out, "([c['path'] for c in d['changed']], [f['path'] for f in d['failed']])"),
              "(['" + Host("ok.mp3") + "'], ['" + Host("locked.mp3") + "'])");
    EXPECT_EQ(Read("locked.mp3"), lockedBefore);
    EXPECT_EQ(Read("ok.mp3").substr(603, 3), "New");
}

TEST_F(CliWrite, StripCutsTagsAndLeavesUntaggedFilesAlone)
{
    const TagBytes tag{"T", "A", "", "", "", 1};
    Write("tagged.mp3", MakeMp3(&tag));
    Write("plain.mp3", MakeMp3(nullptr));
    const std::string plain = Read("plain.mp3");
    const RunResult result = RunCli({"strip", Host("tagged.mp3"), Host("plain.mp3"), Host("gone.mp3")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(Host("gone.mp3")), std::string::npos);
    EXPECT_EQ(result.out, "1 tags removed\n");
    EXPECT_EQ(Read("tagged.mp3"), MakeMp3(nullptr));
    EXPECT_EQ(Read("plain.mp3"), plain);
}

TEST_F(CliWrite, MultiTagWritesLowerCaseMp3OnlyAndCountsAsTagFolderDoes)
{
    Write("album/a.mp3", MakeMp3(nullptr));
    Write("album/B.MP3", MakeMp3(nullptr));
    Write("album/c.txt", "text");
    Write("album/cd2/d.mp3", MakeMp3(nullptr));
    const std::string upper = Read("album/B.MP3");

    const RunResult flat = RunCli({"multitag", "--album", "Greatest", Host("album")});
    EXPECT_EQ(flat.status, 0) << flat.err;
    EXPECT_EQ(flat.out, "1 files processed\n");
    EXPECT_EQ(Read("album/a.mp3").substr(600 + 63, 8), "Greatest");
    EXPECT_EQ(Read("album/B.MP3"), upper);
    EXPECT_EQ(Read("album/cd2/d.mp3"), MakeMp3(nullptr));

    const RunResult deep = RunCli({"multitag", "--json", "-r", "--genre", "Pop", Host("album")});
    EXPECT_EQ(deep.status, 0) << deep.err;
    EXPECT_EQ(JsonQuery(deep.out, "(d['count'], len(d['changed']), d['failed'])"), "(2, 2, [])");
    EXPECT_EQ(static_cast<unsigned char>(Read("album/cd2/d.mp3")[727]), 13);
    EXPECT_EQ(Read("album/a.mp3").substr(600 + 63, 8), "Greatest"); // only the genre was chosen this time
}

TEST_F(CliWrite, MultiTagGoesOnPastFilesInUseOrReadOnlyAndReportsEach)
{
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        Write(std::string("f/") + name, MakeMp3(nullptr));
    const CHeldFile held(Host("f/a.mp3"));
    const CReadOnlyFile readOnly(Host("f/b.mp3"));
    ASSERT_TRUE(readOnly.Usable()) << "neither the file mode nor the immutable attribute stops a write here";
    const RunResult result = RunCli({"multitag", "--json", "--artist", "X", Host("f")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(Host("f/a.mp3")), std::string::npos) << result.err;
    EXPECT_EQ(JsonQuery(result.out, "[c['path'][-5:] for c in d['changed']]"), "['c.mp3']");
    EXPECT_EQ(Read("f/a.mp3"), MakeMp3(nullptr));
    EXPECT_NE(result.err.find(Host("f/b.mp3")), std::string::npos) << result.err;
    EXPECT_EQ(Read("f/b.mp3"), MakeMp3(nullptr));
    EXPECT_EQ(Read("f/c.mp3").substr(600 + 33, 1), "X");
}

} // namespace

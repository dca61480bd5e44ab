// set, strip and multitag: writing tags, and what happens to files that
// cannot be written.
#include "CliFixture.h"
#include "CliRun.h"

#include <gtest/gtest.h>

#include <vector>

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
    EXPECT_EQ(result.out, "1 tag removed, 1 unchanged\n"); // the untagged file needs no write
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
    EXPECT_EQ(flat.out, "1 file processed\n");
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

// ---- track numbers and other tags ------------------------------------------

constexpr std::size_t kCommentAt = 600 + 97;

// "Live", zero padding, and track 7 behind a zero byte, as other tools write ID3v1.1.
std::string TrackedComment(unsigned char track = 7)
{
    return std::string("Live") + std::string(24, '\0') + std::string(1, '\0') +
           std::string(1, static_cast<char>(track));
}

std::string TrackedMp3()
{
    const TagBytes tag{"T", "A", "", "", TrackedComment(), 255};
    return MakeMp3(&tag);
}

std::string WithComment(std::string mp3, const std::string& comment30)
{
    return mp3.replace(kCommentAt, 30, comment30);
}

std::size_t Occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(CliWrite, TrackOptionAndCommentsKeepReplaceOrRemoveTheTrack)
{
    const std::string c28(28, 'x'), c30(30, 'z');
    const std::string trackBytes("\0\x07", 2);
    const std::string shortKept = "Short" + std::string(23, ' ') + trackBytes;
    const std::string cutFor4 = c30.substr(0, 28) + std::string("\0\x04", 2); // the track wins over the comment
    const struct {
        const char* label;
        std::vector<std::string> options;
        int status;
        std::string comment30; // the comment bytes afterwards; the rest of the file stays
        bool notesTrack;       // stderr says a track was replaced
    } cases[] = {
        {"track 9", {"--track", "9"}, 0, TrackedComment(9), false},
        {"track 255", {"--track", "255"}, 0, TrackedComment(255), false},
        {"track 0 removes it", {"--track", "0"}, 0, TrackedComment(0), false},
        {"short comment keeps the track", {"--comment", "Short"}, 0, shortKept, false},
        {"28-byte comment keeps the track", {"--comment", c28}, 0, c28 + trackBytes, false},
        {"29-byte comment replaces it", {"--comment", c30.substr(0, 29)}, 0, c30.substr(0, 29) + " ", true},
        {"30-byte comment replaces it", {"--comment", c30}, 0, c30, true},
        {"30-byte comment with a track", {"--comment", c30, "--track", "4"}, 0, cutFor4, false},
        {"track 256", {"--track", "256"}, 2, TrackedComment(), false},
        {"track -1", {"--track", "-1"}, 2, TrackedComment(), false},
        {"track not a number", {"--track", "7a"}, 2, TrackedComment(), false},
        {"track empty", {"--track", ""}, 2, TrackedComment(), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Write("song.mp3", TrackedMp3());
        std::vector<std::string> args{"set"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(Host("song.mp3"));
        const RunResult result = RunCli(args);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(Read("song.mp3"), WithComment(TrackedMp3(), c.comment30));
        EXPECT_EQ(result.err.find("replaced the track number") != std::string::npos, c.notesTrack) << result.err;
        if (c.status == 2) {
            EXPECT_NE(result.err.find("--track"), std::string::npos) << result.err;
        }
    }
}

TEST_F(CliWrite, MultiTagSetsTheTrackAndNotesReplacedTracksOnce)
{
    Write("f/a.mp3", TrackedMp3());
    Write("f/b.mp3", TrackedMp3());
    Write("f/c.mp3", MakeMp3(nullptr));
    const std::string c30(30, 'z');

    const RunResult track = RunCli({"multitag", "--track", "12", Host("f")});
    EXPECT_EQ(track.status, 0) << track.err;
    EXPECT_EQ(Read("f/a.mp3"), WithComment(TrackedMp3(), TrackedComment(12)));
    EXPECT_EQ(Read("f/c.mp3").substr(kCommentAt, 30), std::string(28, ' ') + std::string("\0\x0C", 2));
    EXPECT_EQ(track.err.find("note:"), std::string::npos) << track.err;

    const RunResult comment = RunCli({"multitag", "--comment", c30, Host("f")});
    EXPECT_EQ(comment.status, 0) << comment.err;
    for (const char* name : {"f/a.mp3", "f/b.mp3", "f/c.mp3"})
        EXPECT_EQ(Read(name).substr(kCommentAt, 30), c30) << name;
    // Three files lost their track: said once, with the count.
    EXPECT_EQ(Occurrences(comment.err, "replaced the track number"), 1u) << comment.err;
    EXPECT_NE(comment.err.find("in 3 files"), std::string::npos) << comment.err;

    const RunResult set = RunCli({"set", "--comment", c30, Host("f/a.mp3")});
    EXPECT_EQ(set.err.find("replaced the track number"), std::string::npos) << "no track left to replace\n" << set.err;
}

TEST_F(CliWrite, ChangingFilesWithAnId3v2TagSaysSoOnce)
{
    const struct {
        const char* label;
        std::vector<std::string> args; // "f/..." are files of the fixture
        std::size_t notedFiles;        // 0: no note
    } cases[] = {
        {"set on all three", {"set", "--artist", "X", "f/v2tagged.mp3", "f/v2plain.mp3", "f/plain.mp3"}, 2},
        {"set on a file without ID3v2", {"set", "--artist", "X", "f/plain.mp3"}, 0},
        {"multitag", {"multitag", "--title", "Y", "f"}, 2},
        {"strip", {"strip", "f/v2tagged.mp3"}, 1},
        {"strip of an untagged file changes nothing", {"strip", "f/v2plain.mp3"}, 0},
        {"rename changes no tag", {"rename", "--pattern", "%1", "f/v2tagged.mp3"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Write("f/v2tagged.mp3", "ID3" + TrackedMp3());
        Write("f/v2plain.mp3", "ID3" + MakeMp3(nullptr));
        Write("f/plain.mp3", MakeMp3(nullptr));
        std::vector<std::string> args;
        for (const std::string& arg : c.args)
            args.push_back(arg.rfind("f", 0) == 0 ? Host(arg) : arg);
        const RunResult result = RunCli(args);
        EXPECT_EQ(result.status, 0) << result.err;
        const std::size_t notes = Occurrences(result.err, "ID3v2");
        if (c.notedFiles == 0) {
            EXPECT_EQ(notes, 0u) << result.err;
            continue;
        }
        EXPECT_EQ(notes, 1u) << result.err;
        const std::string count = std::to_string(c.notedFiles) + (c.notedFiles == 1 ? " file " : " files ");
        EXPECT_NE(result.err.find(count), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("players may show"), std::string::npos) << result.err;
    }
}

} // namespace

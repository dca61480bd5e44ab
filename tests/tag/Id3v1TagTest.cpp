#include "tag/Id3v1Tag.h"

#include "TagBytes.h"
#include "ChildProcess.h"
#include "TempMachine.h"
#include "platform/File.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <functional>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using tagbytes::MakeRecord;
using tagbytes::RecordFields;
using tagbytes::SilentFrames;
using tagbytes::TaggedFile;

namespace {

constexpr std::size_t kRecord = CId3v1Tag::kRecordSize;

std::string Tail(const std::string& bytes)
{
    return bytes.substr(bytes.size() - kRecord);
}

class Id3v1TagTest : public ::testing::Test {
protected:
    TempMachine machine;
    CId3v1Tag tag;

    std::string Put(const std::string& bytes, const std::string& name = "song.mp3")
    {
        machine.WriteFile(name, bytes);
        return machine.Sys(name);
    }
};

// ---- reading ----------------------------------------------------------------

struct FileCase {
    const char* label;
    std::string bytes;
    bool hasTag;
};

TEST_F(Id3v1TagTest, OpenRecognisesATagOnlyAfterMoreThan128Bytes)
{
    const std::string record = MakeRecord({"T", "A", "", "", "", 13});
    std::string lowerCase = record;
    lowerCase.replace(0, 3, "tag");
    const FileCase cases[] = {
        {"empty file", "", false},
        {"record alone, 128 bytes", record, false},
        {"one byte before the record", "x" + record, true},
        {"audio and record", SilentFrames(2) + record, true},
        {"marker in lower case", SilentFrames(2) + lowerCase, false},
        {"marker in mixed case", SilentFrames(2) + "TAg" + record.substr(3), false},
        {"audio only", SilentFrames(2), false},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(tag.Open(Put(c.bytes)));
        EXPECT_EQ(tag.HasTag(), c.hasTag);
        EXPECT_EQ(tag.GetFileLength(), c.bytes.size());
        EXPECT_EQ(tag.GetArtist(), c.hasTag ? "A" : "");
        // Without a tag the object holds the empty record: spaces and no genre.
        EXPECT_EQ(tag.GetGenre(), c.hasTag ? "Pop" : "");
        if (!c.hasTag) {
            EXPECT_EQ(tag.GetRecord()[127], CId3v1Tag::kNoGenre);
        }
    }
}

struct ReadCase {
    const char* label;
    std::string bytes; // the field's raw bytes, padded by the test to its width with zero bytes
    std::string expected;
};

TEST_F(Id3v1TagTest, TextFieldsReadUpToZeroWithoutTrailingWhiteSpace)
{
    const ReadCase cases[] = {
        {"zero padded", "Abc", "Abc"},
        {"space padded", std::string("Abc") + std::string(27, ' '), "Abc"},
        {"leading spaces stay", "  Abc   ", "  Abc"},
        {"zero inside ends the text", std::string("Abc\0def", 7), "Abc"},
        {"C white space trimmed", "Abc \t\n\v\f\r", "Abc"},
        {"high bytes are not white space", "Ab\xA0\x85", "Ab\xA0\x85"},
        {"cp1252 letters", "\xE9t\xE9 \xDF", "\xE9t\xE9 \xDF"},
        {"all spaces", std::string(30, ' '), ""},
        {"full width, no terminator", std::string(30, 'x'), std::string(30, 'x')},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.label);
        RecordFields f;
        f.title = c.bytes;
        f.artist = c.bytes;
        f.album = c.bytes;
        f.comment = c.bytes;
        ASSERT_TRUE(tag.Open(Put(TaggedFile(f))));
        EXPECT_EQ(tag.GetTitle(), c.expected);
        EXPECT_EQ(tag.GetArtist(), c.expected);
        EXPECT_EQ(tag.GetAlbum(), c.expected);
        EXPECT_EQ(tag.GetComment(), c.expected);
    }
}

TEST_F(Id3v1TagTest, FieldsSitAtTheirOffsets)
{
    RecordFields f{"Title", "Artist", "Album", "1999", "Comment", 147, ' '};
    ASSERT_TRUE(tag.Open(Put(TaggedFile(f))));
    EXPECT_EQ(tag.GetTitle(), "Title");
    EXPECT_EQ(tag.GetArtist(), "Artist");
    EXPECT_EQ(tag.GetAlbum(), "Album");
    EXPECT_EQ(tag.GetYear(), "1999");
    EXPECT_EQ(tag.GetComment(), "Comment");
    EXPECT_EQ(tag.GetGenre(), "Synth Pop");
}

// ---- track numbers (ID3v1.1) ---------------------------------------------------

constexpr std::size_t kCommentAt = 97, kCommentWidth = 30;

// 30 comment bytes as other tools write them: text, zero padding, and a
// track behind a zero byte when track is not 0.
std::string CommentBytes(const std::string& text, unsigned char track)
{
    std::string bytes = tagbytes::Field(text, kCommentWidth, '\0');
    if (track != 0) {
        bytes[28] = '\0';
        bytes[29] = static_cast<char>(track);
    }
    return bytes;
}

std::string RecordText(const CId3v1Tag& tag)
{
    return std::string(reinterpret_cast<const char*>(tag.GetRecord().data()), kRecord);
}

// A record with every field filled, so that a write outside the comment shows.
std::string RecordWithComment(const std::string& comment30)
{
    std::string record = MakeRecord({"Title", "Artist", "Album", "1999", "", 17, '\0'});
    return record.replace(kCommentAt, kCommentWidth, comment30);
}

TEST_F(Id3v1TagTest, TrackNumberEndsTheCommentAndIsReadBack)
{
    const struct {
        const char* label;
        std::string comment30;
        std::string comment;
        int track;
    } cases[] = {
        {"zero and track", CommentBytes("Live", 7), "Live", 7},
        {"track 255", CommentBytes("Live", 255), "Live", 255},
        {"28-byte text and track", CommentBytes(std::string(28, 'c'), 1), std::string(28, 'c'), 1},
        {"zero then zero: no track", CommentBytes("Live", 0), "Live", 0},
        {"text in byte 125: no track", std::string(29, 'c') + "\x07", std::string(29, 'c') + "\x07", 0},
        {"space padded: no track", tagbytes::Pad("Live", kCommentWidth), "Live", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(tag.Open(Put(SilentFrames(2) + RecordWithComment(c.comment30))));
        EXPECT_EQ(tag.GetComment(), c.comment);
        EXPECT_EQ(tag.GetTrack(), c.track);
    }
    ASSERT_TRUE(tag.Open(Put(SilentFrames(2))));
    EXPECT_EQ(tag.GetTrack(), 0);
}

struct CommentWriteCase {
    const char* label;
    std::string oldComment30;
    std::string text;
    std::string newComment30; // the record's comment bytes after the write
    bool overwritesTrack;
};

// Every byte of the record on disk is checked: a comment write changes only
// the comment bytes, and the track's two bytes only when the text needs them.
TEST_F(Id3v1TagTest, CommentWriteKeepsTheTrackWhenItFitsIn28Bytes)
{
    const std::string c28(28, 'x'), c29(29, 'y'), c30(30, 'z');
    const std::string tracked = CommentBytes("Live", 7);
    const CommentWriteCase cases[] = {
        {"short, track kept", tracked, "New", "New" + std::string(25, ' ') + std::string("\0\x07", 2), false},
        {"empty, track kept", tracked, "", std::string(28, ' ') + std::string("\0\x07", 2), false},
        {"28 bytes, track kept", tracked, c28, c28 + std::string("\0\x07", 2), false},
        {"29 bytes replace the track", tracked, c29, c29 + " ", true},
        {"30 bytes replace the track", tracked, c30, c30, true},
        {"30 bytes replace track 255", CommentBytes("", 255), c30, c30, true},
        {"short, no track", CommentBytes("Old comment", 0), "New", tagbytes::Pad("New", 30), false},
        {"28 bytes, no track", tagbytes::Pad("Old", 30), c28, c28 + "  ", false},
        {"30 bytes, no track", std::string(30, 'o'), c30, c30, false},
        {"short over 30 bytes of text", std::string(29, 'o') + "\x07", "New", tagbytes::Pad("New", 30), false},
    };
    const std::string audio = SilentFrames(2);
    for (const CommentWriteCase& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(tag.Open(Put(audio + RecordWithComment(c.oldComment30))));
        EXPECT_EQ(tag.SetComment(c.text), c.overwritesTrack);
        tag.Save();
        const std::string expected = RecordWithComment(c.newComment30);
        EXPECT_EQ(machine.ReadFile("song.mp3"), audio + expected);
        EXPECT_EQ(tag.GetComment(), c.text);
    }
}

struct TrackWriteCase {
    const char* label;
    std::string oldComment30;
    unsigned char track;
    std::string newComment30;
};

TEST_F(Id3v1TagTest, SetTrackWritesOnlyTheTrackBytes)
{
    const std::string c30 = "abcdefghijklmnopqrstuvwxyz0123";
    const TrackWriteCase cases[] = {
        {"1 replaces a track", CommentBytes("Live", 7), 1, CommentBytes("Live", 1)},
        {"255 replaces a track", CommentBytes("Live", 7), 255, CommentBytes("Live", 255)},
        {"0 removes a track, byte 125 stays 0", CommentBytes("Live", 7), 0, CommentBytes("Live", 0)},
        {"track into a space padded comment", tagbytes::Pad("Live", 30), 9,
         tagbytes::Pad("Live", 28) + std::string("\0\x09", 2)},
        {"track cuts a 30-byte comment to 28", c30, 9, c30.substr(0, 28) + std::string("\0\x09", 2)},
        {"0 without a track leaves the comment's text", c30, 0, c30},
        {"0 without a track leaves the padding", tagbytes::Pad("Live", 30), 0, tagbytes::Pad("Live", 30)},
    };
    const std::string audio = SilentFrames(2);
    for (const TrackWriteCase& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(tag.Open(Put(audio + RecordWithComment(c.oldComment30))));
        tag.SetTrack(c.track);
        tag.Save();
        EXPECT_EQ(machine.ReadFile("song.mp3"), audio + RecordWithComment(c.newComment30));
        EXPECT_EQ(tag.GetTrack(), c.track);
    }
}

TEST_F(Id3v1TagTest, SetTrackOnAnUntaggedFile)
{
    const std::string audio = SilentFrames(2);
    ASSERT_TRUE(tag.Open(Put(audio)));
    tag.SetTrack(0); // no tag, no track: nothing to remove, nothing to write
    EXPECT_FALSE(tag.HasTag());
    tag.Save();
    EXPECT_EQ(machine.ReadFile("song.mp3"), audio);

    tag.SetTrack(3);
    EXPECT_TRUE(tag.HasTag());
    tag.Save();
    const std::string expected = "TAG" + std::string(94, ' ') + std::string(28, ' ') + std::string("\0\x03\xFF", 3);
    EXPECT_EQ(machine.ReadFile("song.mp3"), audio + expected);
}

// A setter revives a tag pending removal with its old bytes, the track included.
TEST_F(Id3v1TagTest, CommentAfterRemoveTagKeepsTheTrack)
{
    ASSERT_TRUE(tag.Open(Put(SilentFrames(2) + RecordWithComment(CommentBytes("Live", 7)))));
    tag.RemoveTag();
    EXPECT_EQ(tag.GetTrack(), 0);
    EXPECT_FALSE(tag.SetComment("New"));
    EXPECT_EQ(tag.GetTrack(), 7);
    EXPECT_EQ(RecordText(tag), RecordWithComment("New" + std::string(25, ' ') + std::string("\0\x07", 2)));
}

// ---- other tags -------------------------------------------------------------

TEST_F(Id3v1TagTest, HasId3v2WhenTheFileStartsWithID3)
{
    const std::string record = MakeRecord({"T", "A", "", "", "", 13});
    const FileCase cases[] = {
        {"ID3v2 header, audio, record", "ID3\x04" + std::string(6, '\0') + SilentFrames(2) + record, true},
        {"ID3v2 header and audio only", "ID3\x03" + std::string(6, '\0') + SilentFrames(1), true},
        {"just the three bytes", "ID3", true},
        {"lower case", "id3\x04" + SilentFrames(2) + record, false},
        {"two bytes", "ID", false},
        {"empty", "", false},
        {"ID3 later in the file", SilentFrames(1) + "ID3" + record, false},
        {"audio and record", SilentFrames(2) + record, false},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(tag.Open(Put(c.bytes)));
        EXPECT_EQ(tag.HasId3v2(), c.hasTag);
        const std::string artist = tag.Get(Field::Artist);
        // A listing that skips the head reads the same record and marks nothing.
        ASSERT_TRUE(tag.Open(Put(c.bytes), CId3v1Tag::Head::Skip));
        EXPECT_FALSE(tag.HasId3v2());
        EXPECT_EQ(tag.Get(Field::Artist), artist);
    }
    // A reused object forgets the last file's mark when the next open fails.
    ASSERT_TRUE(tag.Open(Put("ID3" + SilentFrames(1))));
    ASSERT_TRUE(tag.HasId3v2());
    EXPECT_FALSE(tag.Open(machine.Sys("missing.mp3")));
    EXPECT_FALSE(tag.HasId3v2());
}

// ---- setters and genres -----------------------------------------------------

TEST_F(Id3v1TagTest, SettersCutAndPadToTheFieldWidth)
{
    const std::string long31 = "abcdefghijklmnopqrstuvwxyz01234";
    tag.SetTitle(long31);
    tag.SetYear("20245");
    tag.SetAlbum("");
    tag.SetArtist("Ab");
    const auto& r = tag.GetRecord();
    const std::string bytes(reinterpret_cast<const char*>(r.data()), r.size());
    EXPECT_TRUE(tag.HasTag());
    EXPECT_EQ(bytes.substr(3, 30), long31.substr(0, 30));
    EXPECT_EQ(bytes.substr(33, 30), "Ab" + std::string(28, ' '));
    EXPECT_EQ(bytes.substr(63, 30), std::string(30, ' '));
    EXPECT_EQ(bytes.substr(93, 4), "2024");
    EXPECT_EQ(tag.GetTitle(), long31.substr(0, 30));
    EXPECT_EQ(tag.GetYear(), "2024");
}

TEST(Id3v1TagGenres, SetGenreTakesNamesInAnyCaseAndNumbers)
{
    const std::pair<const char*, int> cases[] = {{"Pop", 13},        {"pop", 13},  {"", 255},    {"Pop ", 13},
                                                 {"Synth Pop", 147}, {"Blues", 0}, {"R&B", 255}, {"Drum & Bass", 127},
                                                 {"150", 150}};
    for (const auto& [name, number] : cases) {
        SCOPED_TRACE(name);
        CId3v1Tag tag;
        tag.SetGenre(name);
        EXPECT_TRUE(tag.HasTag());
        EXPECT_EQ(tag.GetRecord()[127], number);
    }
}

TEST_F(Id3v1TagTest, GenreBytesOutsideTheTableReadEmpty)
{
    const std::pair<int, const char*> cases[] = {{0, "Blues"}, {147, "Synth Pop"}, {148, ""}, {200, ""}, {255, ""}};
    for (const auto& [number, name] : cases) {
        SCOPED_TRACE(number);
        RecordFields f;
        f.genre = static_cast<unsigned char>(number);
        ASSERT_TRUE(tag.Open(Put(TaggedFile(f))));
        EXPECT_EQ(tag.GetGenre(), name);
    }
}

// ---- saving -----------------------------------------------------------------

TEST_F(Id3v1TagTest, ArtistOnUntaggedFileAppendsExactRecord)
{
    const std::string audio = SilentFrames(3);
    const std::string path = Put(audio);
    ASSERT_TRUE(tag.Open(path));
    tag.SetArtist("Band");
    tag.Save();
    const std::string expected = "TAG" + std::string(30, ' ') + "Band" + std::string(26, ' ') + std::string(30, ' ') +
                                 std::string(4, ' ') + std::string(30, ' ') + "\xFF";
    EXPECT_EQ(machine.ReadFile("song.mp3"), audio + expected);
}

TEST_F(Id3v1TagTest, RemoveTagCutsExactlyOnce)
{
    const std::string audio = SilentFrames(3);
    const std::string path = Put(audio + MakeRecord({"T", "A", "", "", "", 1}));
    ASSERT_TRUE(tag.Open(path));
    tag.RemoveTag();
    tag.Save();
    EXPECT_EQ(machine.ReadFile("song.mp3"), audio);
    tag.Save();
    EXPECT_EQ(machine.ReadFile("song.mp3"), audio);
}

TEST_F(Id3v1TagTest, SecondSaveOverwritesTheAppendedRecord)
{
    const std::string audio = SilentFrames(3);
    ASSERT_TRUE(tag.Open(Put(audio)));
    tag.SetTitle("One");
    tag.Save();
    tag.SetTitle("Two");
    tag.Save();
    const std::string bytes = machine.ReadFile("song.mp3");
    ASSERT_EQ(bytes.size(), audio.size() + kRecord);
    EXPECT_EQ(bytes.substr(audio.size() + 3, 3), "Two");
}

TEST_F(Id3v1TagTest, SetterAfterRemoveTagOverwritesKeepingOldFields)
{
    const std::string audio = SilentFrames(3);
    ASSERT_TRUE(tag.Open(Put(audio + MakeRecord({"Old title", "Old artist", "Alb", "1990", "C", 17, '\0'}))));
    tag.RemoveTag();
    tag.SetArtist("New");
    tag.Save();
    const std::string bytes = machine.ReadFile("song.mp3");
    ASSERT_EQ(bytes.size(), audio.size() + kRecord);
    CId3v1Tag reread;
    ASSERT_TRUE(reread.Open(machine.Sys("song.mp3")));
    EXPECT_EQ(reread.GetArtist(), "New");
    EXPECT_EQ(reread.GetTitle(), "Old title");
    EXPECT_EQ(reread.GetAlbum(), "Alb");
    EXPECT_EQ(reread.GetGenre(), "Rock");
    // Untouched fields keep their zero padding byte for byte.
    EXPECT_EQ(Tail(bytes).substr(3, 30), tagbytes::Field("Old title", 30, '\0'));
}

TEST_F(Id3v1TagTest, RemoveTagOfPendingTagLeavesFileAlone)
{
    const std::string audio = SilentFrames(2);
    ASSERT_TRUE(tag.Open(Put(audio)));
    tag.SetTitle("x");
    tag.RemoveTag();
    tag.Save();
    EXPECT_EQ(machine.ReadFile("song.mp3"), audio);
}

TEST_F(Id3v1TagTest, RecordAloneGetsASecondRecordAppended)
{
    const std::string record = MakeRecord({"T", "", "", "", "", 13});
    ASSERT_TRUE(tag.Open(Put(record)));
    ASSERT_FALSE(tag.HasTag());
    tag.SetTitle("New");
    tag.Save();
    const std::string bytes = machine.ReadFile("song.mp3");
    ASSERT_EQ(bytes.size(), 2 * kRecord);
    EXPECT_EQ(bytes.substr(0, kRecord), record);
}

TEST_F(Id3v1TagTest, SaveNeverCutsAudioWhenTheTagVanishedMeanwhile)
{
    const std::string audio = SilentFrames(3);
    ASSERT_TRUE(tag.Open(Put(audio + MakeRecord({"T", "A", "", "", "", 1}))));
    machine.WriteFile("song.mp3", audio); // another program stripped the tag
    tag.RemoveTag();
    tag.Save();
    EXPECT_EQ(machine.ReadFile("song.mp3"), audio);
}

// Save goes by the file as it is now, not by the length Open saw.
TEST_F(Id3v1TagTest, SaveWritesAtTheEndOfAFileThatChangedSinceOpen)
{
    const std::string oldRecord = MakeRecord({"T", "A", "", "", "", 1});
    const std::string otherRecord = MakeRecord({"Other", "Tool", "", "", "", 2});
    const struct {
        const char* label;
        std::string audioNow;
        bool removeTag;
    } cases[] = {
        {"grown, retitled", SilentFrames(5), false},
        {"shrunk, retitled", SilentFrames(1), false},
        {"grown, tag removed", SilentFrames(5), true},
        {"shrunk, tag removed", SilentFrames(1), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(tag.Open(Put(SilentFrames(3) + oldRecord)));
        machine.WriteFile("song.mp3", c.audioNow + otherRecord); // rewritten by another program
        tag.SetTitle("New");
        if (c.removeTag) tag.RemoveTag();
        tag.Save();
        const std::string bytes = machine.ReadFile("song.mp3");
        if (c.removeTag) {
            EXPECT_EQ(bytes, c.audioNow);
            continue;
        }
        ASSERT_EQ(bytes.size(), c.audioNow.size() + kRecord);
        EXPECT_EQ(bytes.substr(0, c.audioNow.size()), c.audioNow);
        // Our record from Open with the new title; nothing of the other program's.
        EXPECT_EQ(Tail(bytes), "TAGNew" + std::string(27, ' ') + oldRecord.substr(33));
    }
}

// The journal holds the file as Open found it: a file that was not held
// locked since then is looked at again and written only when it is still
// that file, with that length and those last bytes.
TEST_F(Id3v1TagTest, SaveIfUnchangedWritesOnlyTheFileOpenFound)
{
    const std::string audio = SilentFrames(3);
    const std::string oldRecord = MakeRecord({"T", "A", "", "", "", 1});
    const std::string otherRecord = MakeRecord({"Other", "Tool", "", "", "", 2});
    const auto rewrite = [&](const std::string& bytes) { machine.WriteFile("song.mp3", bytes); };
    const auto replace = [&](const std::string& bytes) {
        machine.WriteFile("other.mp3", bytes);
        std::filesystem::rename(machine.Host("other.mp3"), machine.Host("song.mp3"));
    };
    const struct {
        const char* label;
        std::function<void()> meanwhile;
        bool written;
    } cases[] = {
        {"unchanged", [] {}, true},
        {"grown", [&] { rewrite(audio + SilentFrames(1) + oldRecord); }, false},
        {"shrunk", [&] { rewrite(SilentFrames(2) + oldRecord); }, false},
        {"tag rewritten, same length", [&] { rewrite(audio + otherRecord); }, false},
        {"tag removed", [&] { rewrite(audio); }, false},
        {"replaced by an equal file", [&] { replace(audio + oldRecord); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(tag.Open(Put(audio + oldRecord)));
        c.meanwhile();
        const std::string before = machine.ReadFile("song.mp3");
        tag.SetTitle("New");
        EXPECT_EQ(tag.SaveIfUnchanged(), c.written);
        const std::string after = machine.ReadFile("song.mp3");
        if (!c.written) {
            EXPECT_EQ(after, before);
            continue;
        }
        ASSERT_EQ(after.size(), before.size());
        EXPECT_EQ(after.substr(0, audio.size()), audio);
        EXPECT_EQ(Tail(after), "TAGNew" + std::string(27, ' ') + oldRecord.substr(33));
    }
}

TEST_F(Id3v1TagTest, FilesOver4GiBAreTaggedAtTheirEnd)
{
    // A sparse file: its length passes 32 bits without using the disk.
    const std::uint64_t audio = (std::uint64_t{1} << 32) + 1000;
    const std::string path = Put("");
    std::filesystem::resize_file(machine.Host("song.mp3"), audio);
    ASSERT_TRUE(tag.Open(path));
    EXPECT_EQ(tag.GetFileLength(), audio);
    tag.SetArtist("Big");
    tag.Save();
    ASSERT_TRUE(tag.Open(path));
    EXPECT_EQ(tag.GetFileLength(), audio + kRecord);
    EXPECT_EQ(tag.GetArtist(), "Big");
    tag.RemoveTag();
    tag.Save();
    EXPECT_EQ(std::filesystem::file_size(machine.Host("song.mp3")), audio);
}

// ---- failures ---------------------------------------------------------------

TEST_F(Id3v1TagTest, FileHeldByAnotherOpenerIsNeitherReadNorWritten)
{
    const std::string bytes = TaggedFile({"T", "A", "", "", "", 1});
    const std::string path = Put(bytes);
    {
        platform::CFile holder;
        ASSERT_TRUE(holder.Open(path, platform::CFile::modeRead));
        EXPECT_FALSE(tag.Open(path));
        EXPECT_FALSE(tag.HasTag());
    }
    ASSERT_TRUE(tag.Open(path));
    platform::CFile holder;
    ASSERT_TRUE(holder.Open(path, platform::CFile::modeRead));
    tag.SetArtist("Changed");
    tag.Save();
    EXPECT_NE(tag.GetLastError(), 0);
    holder.Close();
    EXPECT_EQ(machine.ReadFile("song.mp3"), bytes);
}

TEST_F(Id3v1TagTest, MissingFilesAndFoldersDoNotOpen)
{
    machine.MakeDir("folder.mp3");
    EXPECT_FALSE(tag.Open(machine.Sys("folder.mp3")));
    EXPECT_FALSE(tag.Open(machine.Sys("missing.mp3")));
    EXPECT_EQ(tag.GetPath(), machine.Sys("missing.mp3"));
    EXPECT_FALSE(tag.HasTag());
}

TEST_F(Id3v1TagTest, FileDeletedBeforeSaveIsNotCreated)
{
    const std::string path = Put(SilentFrames(1));
    ASSERT_TRUE(tag.Open(path));
    std::filesystem::remove(machine.Host("song.mp3"));
    tag.SetTitle("x");
    tag.Save();
    EXPECT_FALSE(machine.Exists("song.mp3"));
    EXPECT_EQ(tag.GetLastError(), ENOENT);
}

TEST_F(Id3v1TagTest, ReadOnlyFileStaysUnchanged)
{
    const std::string bytes = TaggedFile({"T", "A", "", "", "", 1});
    const std::string path = Put(bytes);
    chmod(machine.Host("song.mp3").c_str(), 0444);
    // Root writes to read-only files, so the check runs as an ordinary user in a child.
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        chmod(machine.Root().c_str(), 0711);
        chmod(std::filesystem::path(machine.Root()).parent_path().c_str(), 0711);
    }
    const int result = RunInChild([&] {
        if (asRoot && !BecomeNobody()) return 10;
        CId3v1Tag child;
        if (!child.Open(path)) return 11;
        child.SetArtist("Changed");
        child.RemoveTag();
        child.SetTitle("New");
        child.Save();
        return child.GetLastError() == EACCES ? 0 : 12;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(machine.ReadFile("song.mp3"), bytes);
}

// A write that fails part way (the file size limit, with SIGXFSZ ignored so
// that write() returns EFBIG) must leave the file byte for byte as it was.
class Id3v1TagRollbackTest : public Id3v1TagTest {
protected:
    int SaveUnderLimit(const std::string& path, std::uint64_t limit, const std::function<void(CId3v1Tag&)>& change)
    {
        return RunInChild([&] {
            CId3v1Tag child;
            if (!child.Open(path)) return 11;
            change(child);
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit lim{limit, limit};
            if (setrlimit(RLIMIT_FSIZE, &lim) != 0) return 12;
            try {
                child.Save();
            } catch (const platform::CFileException& e) {
                return e.OsError() == EFBIG ? 0 : 13;
            }
            return 14;
        });
    }
};

TEST_F(Id3v1TagRollbackTest, FailedAppendLeavesNoPartialRecord)
{
    const std::string audio = SilentFrames(3);
    const std::string path = Put(audio);
    for (const std::uint64_t room : {0u, 64u, 127u}) {
        SCOPED_TRACE(room);
        EXPECT_EQ(SaveUnderLimit(path, audio.size() + room, [](CId3v1Tag& t) { t.SetArtist("Band"); }), 0);
        EXPECT_EQ(machine.ReadFile("song.mp3"), audio);
    }
}

TEST_F(Id3v1TagRollbackTest, FailedOverwriteRestoresTheOldRecord)
{
    const std::string bytes = TaggedFile({"Old title", "Old artist", "Alb", "1990", "C", 17, '\0'});
    const std::string path = Put(bytes);
    const auto change = [](CId3v1Tag& t) {
        t.SetTitle("New title is long enough");
        t.SetComment("New comment");
    };
    for (const std::uint64_t keep : {100u, 64u}) {
        SCOPED_TRACE(keep);
        EXPECT_EQ(SaveUnderLimit(path, bytes.size() - keep, change), 0);
        EXPECT_EQ(machine.ReadFile("song.mp3"), bytes);
    }
}

} // namespace

// Tags written by independent tools are read by CId3v1Tag, and the other way round.
#include "tag/Id3v1Tag.h"

#include "TagBytes.h"
#include "TempMachine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <regex>
#include <sys/wait.h>

namespace {

// The tools take UTF-8 arguments and convert them to Latin-1 only under a UTF-8 locale.
const std::string kEnv = "LC_ALL=C.UTF-8 PYTHONIOENCODING=utf-8 ";
// Debian's python3-mutagen lives beside the system interpreter, not a user's one.
const std::string kPython = "/usr/bin/python3";

struct Fields {
    std::string artist, title, album, year, comment, genreName;
    int genreNumber;
};

// The same values in UTF-8 (for the tools) and cp1252 (as the record holds them).
const Fields kUtf8{"Künstlerß", "Titél", "Grüße", "2004", "Schön", "Pop", 13};
const Fields kCp1252{"K\xFCnstler\xDF", "Tit\xE9l", "Gr\xFC\xDF\x65", "2004", "Sch\xF6n", "Pop", 13};

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

struct RunResult {
    int status = -1;
    std::string out;
};

RunResult RunTool(const std::string& command)
{
    RunResult result;
    FILE* pipe = popen((kEnv + command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.out.append(buffer, n);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

bool HasProgram(const std::string& program)
{
    return RunTool("command -v " + program + " >/dev/null").status == 0;
}
bool HasMutagen()
{
    return RunTool(kPython + " -c 'import mutagen.id3'").status == 0;
}

// ---- the track readers ------------------------------------------------------

// Each gives the ID3v1.1 track number as text, "" when the tool sees none.
std::string Match(const std::string& text, const char* pattern)
{
    std::smatch m;
    return std::regex_search(text, m, std::regex(pattern)) ? std::string(m[1]) : std::string();
}

std::string TrackByMp3info(const std::string& file)
{
    return Match(RunTool("mp3info -p '%n\\n' " + Quote(file)).out, "^([0-9]*)\n");
}

std::string TrackById3v2(const std::string& file)
{
    // id3v2 prints the byte as a signed char ("Track: -1" for 255) and
    // "Track: 0" for a record without one.
    const std::string track = Match(RunTool("id3v2 -l " + Quote(file)).out, "Track: (-?[0-9]+)");
    if (track.empty() || track == "0") return {};
    const int number = std::stoi(track);
    return std::to_string(number < 0 ? number + 256 : number);
}

std::string TrackByEyeD3(const std::string& file)
{
    return Match(RunTool("eyeD3 --v1 " + Quote(file)).out, "\ntrack: ([0-9]*)");
}

// mid3v2 shows an ID3v1 record as the frames it maps it to.
std::string TrackByMid3v2(const std::string& file)
{
    return Match(RunTool("mid3v2 -l " + Quote(file)).out, "\nTRCK=([0-9]+)");
}

// mutagen's own parser of the last 128 bytes: the file may also hold an
// ID3v2 tag, which mid3v2 would show instead.
std::string TrackByMutagenV1(const std::string& file)
{
    const std::string script = "import sys\n"
                               "from mutagen.id3._id3v1 import ParseID3v1\n"
                               "frames = ParseID3v1(open(sys.argv[1], 'rb').read()[-128:]) or {}\n"
                               "print(frames['TRCK'].text[0] if 'TRCK' in frames else '')\n";
    return Match(RunTool(kPython + " -c " + Quote(script) + " " + Quote(file)).out, "^([0-9]*)\n");
}

const char* const kInstallHint = " is not installed: scripts/install-deps.sh installs id3v2, eyed3, "
                                 "python3-mutagen and mp3info";

// ---- the writers ------------------------------------------------------------

std::string WriteWithId3v2(const std::string& file)
{
    const Fields& f = kUtf8;
    return "id3v2 -1 -a " + Quote(f.artist) + " -t " + Quote(f.title) + " -A " + Quote(f.album) + " -y " + f.year +
           " -c " + Quote(f.comment) + " -g " + std::to_string(f.genreNumber) + " -T 5 " + Quote(file);
}

std::string WriteWithEyeD3(const std::string& file)
{
    const Fields& f = kUtf8;
    return "eyeD3 --v1 -a " + Quote(f.artist) + " -t " + Quote(f.title) + " -A " + Quote(f.album) + " -Y " + f.year +
           " -c " + Quote(f.comment) + " -G " + Quote(f.genreName) + " -n 5 " + Quote(file);
}

std::string WriteWithMutagen(const std::string& file)
{
    const Fields& f = kUtf8;
    const std::string script =
        "import sys\n"
        "from mutagen.id3 import ID3, TPE1, TIT2, TALB, TDRC, COMM, TCON, TRCK\n"
        "t = ID3()\n"
        "a = sys.argv\n"
        "t.add(TPE1(encoding=3, text=a[2])); t.add(TIT2(encoding=3, text=a[3]))\n"
        "t.add(TALB(encoding=3, text=a[4])); t.add(TDRC(encoding=3, text=a[5]))\n"
        "t.add(COMM(encoding=3, lang='eng', desc='', text=a[6])); t.add(TCON(encoding=3, text=a[7]))\n"
        "t.add(TRCK(encoding=3, text='5'))\n"
        "t.save(a[1], v1=2)\n";
    return kPython + " -c " + Quote(script) + " " + Quote(file) + " " + Quote(f.artist) + " " + Quote(f.title) + " " +
           Quote(f.album) + " " + Quote(f.year) + " " + Quote(f.comment) + " " + Quote(f.genreName);
}

struct Writer {
    const char* name;
    const char* program; // what must be installed
    std::string (*command)(const std::string& file);
    // mutagen looks the v1 comment up under the bare key "COMM", which a
    // comment frame never has, so its ID3v1 records carry no comment.
    bool writesComment;
    std::string (*readTrack)(const std::string& file); // the same tool's (or package's) reading
};

const Writer kWriters[] = {
    {"id3v2", "id3v2", WriteWithId3v2, true, TrackById3v2},
    {"eyeD3", "eyeD3", WriteWithEyeD3, true, TrackByEyeD3},
    {"mutagen", "mutagen", WriteWithMutagen, false, TrackByMutagenV1},
};

void PrintTo(const Writer& w, std::ostream* os)
{
    *os << w.name;
}

bool WriterAvailable(const Writer& w)
{
    return std::string(w.program) == "mutagen" ? HasMutagen() : HasProgram(w.program);
}

class ToolWritesTest : public ::testing::TestWithParam<Writer> {};

TEST_P(ToolWritesTest, FieldsReadBackThroughCId3v1Tag)
{
    const Writer& writer = GetParam();
    if (!WriterAvailable(writer)) FAIL() << writer.program << kInstallHint;
    TempMachine machine;
    machine.WriteFile("song.mp3", tagbytes::SilentFrames(10));
    ASSERT_EQ(RunTool(writer.command(machine.Host("song.mp3"))).status, 0);

    CId3v1Tag tag;
    ASSERT_TRUE(tag.Open(machine.Sys("song.mp3")));
    ASSERT_TRUE(tag.HasTag());
    EXPECT_EQ(tag.GetArtist(), kCp1252.artist);
    EXPECT_EQ(tag.GetTitle(), kCp1252.title);
    EXPECT_EQ(tag.GetAlbum(), kCp1252.album);
    EXPECT_EQ(tag.GetYear(), kCp1252.year);
    EXPECT_EQ(tag.GetGenre(), kCp1252.genreName);
    // ID3v1.1: the track number sits behind a zero byte at 125; the comment ends there.
    EXPECT_EQ(tag.GetComment(), writer.writesComment ? kCp1252.comment : "");
    EXPECT_EQ(tag.GetRecord()[125], 0);
    EXPECT_EQ(tag.GetRecord()[126], 5);
}

// A short comment written by us keeps the track another tool wrote; a
// comment of 30 bytes takes its place, for that tool as for us.
TEST_P(ToolWritesTest, TrackSurvivesOurShortCommentOnly)
{
    const Writer& writer = GetParam();
    if (!WriterAvailable(writer)) FAIL() << writer.program << kInstallHint;
    TempMachine machine;
    machine.WriteFile("song.mp3", tagbytes::SilentFrames(10));
    const std::string file = machine.Host("song.mp3");
    ASSERT_EQ(RunTool(writer.command(file)).status, 0);

    CId3v1Tag tag;
    ASSERT_TRUE(tag.Open(machine.Sys("song.mp3")));
    ASSERT_EQ(tag.GetTrack(), 5);
    EXPECT_FALSE(tag.SetComment("Neu"));
    tag.Save();
    EXPECT_EQ(writer.readTrack(file), "5");
    ASSERT_TRUE(tag.Open(machine.Sys("song.mp3")));
    EXPECT_EQ(tag.GetComment(), "Neu");
    EXPECT_EQ(tag.GetTrack(), 5);

    EXPECT_TRUE(tag.SetComment(std::string(30, 'c')));
    tag.Save();
    ASSERT_TRUE(tag.Open(machine.Sys("song.mp3")));
    EXPECT_EQ(tag.GetTrack(), 0);
    EXPECT_EQ(tag.GetComment(), std::string(30, 'c'));
    // mutagen takes byte 126 as a track whenever it is not zero, whatever byte 125 holds.
    if (writer.readTrack != TrackByMutagenV1) {
        EXPECT_EQ(writer.readTrack(file), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolWritesTest, ::testing::ValuesIn(kWriters),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the readers ------------------------------------------------------------

// Each reader yields the fields as UTF-8 text by name.
using FieldMap = std::map<std::string, std::string>;

std::string Latin1ToUtf8(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

FieldMap ReadWithId3v2(const std::string& file)
{
    // id3v2 -l prints the raw Latin-1 bytes in fixed columns.
    const std::string out = RunTool("id3v2 -l " + Quote(file)).out;
    FieldMap fields;
    std::smatch m;
    if (std::regex_search(out, m, std::regex("Title  : (.*?) *Artist: (.*?) *\n"))) {
        fields["title"] = Latin1ToUtf8(m[1]);
        fields["artist"] = Latin1ToUtf8(m[2]);
    }
    if (std::regex_search(out, m, std::regex("Album  : (.*?) *Year: ([^,]*), Genre: (.*) \\(([0-9]+)\\)"))) {
        fields["album"] = Latin1ToUtf8(m[1]);
        fields["year"] = m[2];
        fields["genre"] = m[3];
        fields["genreNumber"] = m[4];
    }
    if (std::regex_search(out, m, std::regex("Comment: (.*?) *\n"))) fields["comment"] = Latin1ToUtf8(m[1]);
    return fields;
}

FieldMap ReadWithEyeD3(const std::string& file)
{
    const std::string out = RunTool("eyeD3 --v1 " + Quote(file)).out;
    FieldMap fields;
    std::smatch m;
    const std::pair<const char*, const char*> lines[] = {{"title", "\ntitle: (.*)\n"},
                                                         {"artist", "\nartist: (.*)\n"},
                                                         {"album", "\nalbum: (.*)\n"},
                                                         {"year", "\nrelease date: (.*)\n"},
                                                         {"comment", "\nComment: \\[[^\n]*\n(.*)\n"}};
    for (const auto& [name, pattern] : lines)
        if (std::regex_search(out, m, std::regex(pattern))) fields[name] = m[1];
    // eyeD3 shows the comment with its padding; the record pads with spaces.
    if (fields.count("comment")) fields["comment"].erase(fields["comment"].find_last_not_of(' ') + 1);
    if (std::regex_search(out, m, std::regex("genre: (.*) \\(id ([0-9]+)\\)"))) {
        fields["genre"] = m[1];
        fields["genreNumber"] = m[2];
    }
    return fields;
}

FieldMap ReadWithMutagen(const std::string& file)
{
    const std::string script = "import sys\n"
                               "from mutagen.id3 import ID3\n"
                               "t = ID3(sys.argv[1])\n"
                               "for key, frame in (('artist','TPE1'),('title','TIT2'),('album','TALB'),"
                               "('year','TDRC'),('genre','TCON')):\n"
                               "    print(key + '\\t' + str(t[frame].text[0]))\n"
                               "print('comment\\t' + t.getall('COMM')[0].text[0])\n";
    const std::string out = RunTool(kPython + " -c " + Quote(script) + " " + Quote(file)).out;
    FieldMap fields;
    const std::regex line("([a-z]+)\t([^\n]*)\n");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), line); it != std::sregex_iterator(); ++it)
        fields[(*it)[1]] = (*it)[2];
    return fields;
}

struct Reader {
    const char* name;
    const char* program;
    FieldMap (*read)(const std::string& file);
    bool genreNumber; // the reader also shows the genre byte
};

const Reader kReaders[] = {
    {"id3v2", "id3v2", ReadWithId3v2, true},
    {"eyeD3", "eyeD3", ReadWithEyeD3, true},
    {"mutagen", "mutagen", ReadWithMutagen, false},
};

void PrintTo(const Reader& r, std::ostream* os)
{
    *os << r.name;
}

class ToolReadsTest : public ::testing::TestWithParam<Reader> {};

TEST_P(ToolReadsTest, FieldsWrittenByCId3v1TagReadTheSame)
{
    const Reader& reader = GetParam();
    const bool available = std::string(reader.program) == "mutagen" ? HasMutagen() : HasProgram(reader.program);
    if (!available) FAIL() << reader.program << kInstallHint;
    TempMachine machine;
    machine.WriteFile("song.mp3", tagbytes::SilentFrames(10));
    CId3v1Tag tag;
    ASSERT_TRUE(tag.Open(machine.Sys("song.mp3")));
    tag.SetArtist(kCp1252.artist);
    tag.SetTitle(kCp1252.title);
    tag.SetAlbum(kCp1252.album);
    tag.SetYear(kCp1252.year);
    tag.SetComment(kCp1252.comment);
    tag.SetGenre(kCp1252.genreName);
    tag.Save();

    const FieldMap fields = reader.read(machine.Host("song.mp3"));
    EXPECT_EQ(fields.count("artist") ? fields.at("artist") : "<missing>", kUtf8.artist);
    EXPECT_EQ(fields.count("title") ? fields.at("title") : "<missing>", kUtf8.title);
    EXPECT_EQ(fields.count("album") ? fields.at("album") : "<missing>", kUtf8.album);
    EXPECT_EQ(fields.count("year") ? fields.at("year") : "<missing>", kUtf8.year);
    EXPECT_EQ(fields.count("comment") ? fields.at("comment") : "<missing>", kUtf8.comment);
    EXPECT_EQ(fields.count("genre") ? fields.at("genre") : "<missing>", kUtf8.genreName);
    if (reader.genreNumber) {
        EXPECT_EQ(fields.count("genreNumber") ? fields.at("genreNumber") : "", "13");
    }
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolReadsTest, ::testing::ValuesIn(kReaders),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the track, read by other tools ----------------------------------------

struct TrackReader {
    const char* name;
    const char* program;
    std::string (*read)(const std::string& file);
};

const TrackReader kTrackReaders[] = {
    {"mp3info", "mp3info", TrackByMp3info},
    {"id3v2", "id3v2", TrackById3v2},
    {"eyeD3", "eyeD3", TrackByEyeD3},
    {"mid3v2", "mid3v2", TrackByMid3v2},
};

void PrintTo(const TrackReader& r, std::ostream* os)
{
    *os << r.name;
}

class ToolReadsTrackTest : public ::testing::TestWithParam<TrackReader> {};

TEST_P(ToolReadsTrackTest, TrackWrittenBySetTrack)
{
    const TrackReader& reader = GetParam();
    if (!HasProgram(reader.program)) FAIL() << reader.program << kInstallHint;
    const struct {
        const char* label;
        std::string comment;
        unsigned char track;
        std::string expected;
    } steps[] = {
        // Each step works on the file as the one before left it.
        {"track 5 beside a short comment", "Live", 5, "5"},
        {"track 255 beside a 28-byte comment", std::string(28, 'c'), 255, "255"},
        {"track 1 cuts a 30-byte comment", std::string(30, 'd'), 1, "1"},
        {"track 0 removes it", "Live", 0, ""},
    };
    TempMachine machine;
    machine.WriteFile("song.mp3", tagbytes::SilentFrames(10));
    for (const auto& step : steps) {
        SCOPED_TRACE(step.label);
        CId3v1Tag tag;
        ASSERT_TRUE(tag.Open(machine.Sys("song.mp3")));
        tag.SetComment(step.comment);
        tag.SetTrack(step.track);
        tag.Save();
        EXPECT_EQ(reader.read(machine.Host("song.mp3")), step.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolReadsTrackTest, ::testing::ValuesIn(kTrackReaders),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

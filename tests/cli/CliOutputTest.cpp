// What the commands print: one JSON document for every run, CSV and TSV that
// a CSV reader takes back, text without control bytes, headings, counts.
#include "CliFixture.h"
#include "CliRun.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Python's csv module reads the text back; the rows come out as repr() of a list of lists.
std::string CsvRows(const std::string& text, const char* delimiter)
{
    const std::string script = "import csv,io,sys\n"
                               "text = sys.stdin.buffer.read().decode('utf-8')\n"
                               "print(repr(list(csv.reader(io.StringIO(text, newline=''), delimiter='" +
                               std::string(delimiter) + "', strict=True))))\n";
    RunResult result = RunProgram("python3", {"-c", script}, text);
    if (result.status != 0) return "<python failed: " + result.err + ">";
    while (!result.out.empty() && result.out.back() == '\n')
        result.out.pop_back();
    return result.out;
}

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

class CliOutput : public CliTest {
protected:
    CliOutput()
    {
        // A quote, a comma, a tab, a line break and terminal escapes in the fields.
        const TagBytes odd{"Say \"hi\", go", "Band\x1b]0;pwned\x07", "Line\nbreak", "1999", "tab\there", 150};
        Write("m/a.mp3", MakeMp3(&odd));
        const TagBytes plain{"Song", "Band", "", "", "", 17};
        Write("m/b.mp3", MakeMp3(&plain));
        Write("m/c.mp3", MakeMp3(nullptr, 100));
        m_machine.MakeDir("empty");
    }
};

// Every outcome of every command with --json is one document that a JSON
// parser takes, with the exit status the run gives.
TEST_F(CliOutput, JsonIsOneDocumentForEveryCommandAndOutcome)
{
    const struct {
        std::vector<std::string> args;
        int status;
        std::string check; // a Python expression over d that must be True
    } cases[] = {
        {{"list", "--json", Host("nope")}, 1, "d['status'] == 1 and 'nope' in d['error']"},
        {{"list", "--json", "/proc"}, 1, "'not on any drive' in d['error']"},
        {{"list", "--json", Host("empty")}, 0, "d['rows'] == [] and (d['files'], d['bytes'], d['count']) == (0, 0, 0)"},
        {{"list", "--json", Host("m")}, 0, "(d['files'], d['bytes']) == (3, 2*728 + 100) and d['count'] == 3"},
        {{"show", "--json", Host("m/a.mp3"), Host("m/nope.mp3")}, 1, "len(d) == 2 and d[1]['size'] is None"},
        {{"set", "--json", "--artist", "A", Host("m/nope.mp3")}, 1, "d['count'] == 0 and len(d['failed']) == 1"},
        {{"set", "--json", "--genre", "popp", Host("m/b.mp3")}, 2, "d['status'] == 2 and 'popp' in d['error']"},
        {{"set", "--json", Host("m/b.mp3")}, 2, "'needs at least one' in d['error']"},
        {{"show", "--format", "csv", "--json", Host("m/b.mp3")}, 2, "'cannot be used together' in d['error']"},
        {{"strip", "--json", "--dry-run", Host("m/b.mp3")}, 0, "d['count'] == 1 and len(d['changed']) == 1"},
        {{"multitag", "--json", "--year", "1", Host("nope")}, 1, "d['status'] == 1"},
        {{"rename-all", "--json", "--dry-run", Host("nope")}, 1, "d['status'] == 1"},
        {{"rename", "--json", "--dry-run", Host("m/b.mp3")}, 0, "d['count'] == 1 and d['unchanged'] == []"},
        {{"genres", "--json"}, 0, "len(d['genres']) == 148 and d['genres'][133] == {'number': 133, 'name': 'Afro-Punk'}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const RunResult result = RunCli(c.args);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 1) << result.out;
        EXPECT_EQ(JsonQuery(result.out, c.check), "True") << result.out;
    }
}

TEST_F(CliOutput, JsonRowsCarryTheGenreByteAndTheKeysTheReadmeLists)
{
    const RunResult list = RunCli({"list", "--json", Host("m")});
    EXPECT_EQ(list.status, 0) << list.err;
    // 150 has no name, 255 is no genre: the byte tells them apart.
    EXPECT_EQ(JsonQuery(list.out, "[(r['genre'], r['genre_number']) for r in d['rows']]"),
              "[('', 150), ('Rock', 17), ('', None)]");
    EXPECT_EQ(JsonQuery(list.out, "sorted(d['rows'][0].keys())"),
              "['album', 'artist', 'comment', 'genre', 'genre_number', 'has_id3v2', 'name', 'path', 'size', "
              "'size_text', 'state', 'title', 'track', 'year']");
    EXPECT_EQ(JsonQuery(list.out, "sorted(d.keys())"), "['bytes', 'count', 'files', 'folder', 'rows', 'summary', 'total']");
    const RunResult show = RunCli({"show", "--json", Host("m/a.mp3"), Host("m/c.mp3")});
    EXPECT_EQ(JsonQuery(show.out, "[(f['genre_number'], f['artist']) for f in d]"),
              "[(150, 'Band\\x1b]0;pwned\\x07'), (None, '')]");
}

TEST_F(CliOutput, TextOutputEscapesControlBytesFromTagsAndNames)
{
    Write("n/bell\x07name.mp3", MakeMp3(nullptr));
    const RunResult list = RunCli({"list", Host("m")});
    EXPECT_EQ(list.status, 0) << list.err;
    const RunResult show = RunCli({"show", Host("m/a.mp3")});
    const RunResult names = RunCli({"list", Host("n")});
    for (const std::string& out : {list.out, show.out, names.out}) {
        for (const char c : out)
            EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\n' || c == '\t')
                << "control byte " << int(c) << " in\n" << out;
    }
    EXPECT_NE(list.out.find("a.mp3\t728 Byte\tBand\\x1b]0;pwned\\x07\tSay \"hi\", go\tLine\\nbreak\t1999\t\ttab\\there\t"),
              std::string::npos)
        << list.out;
    EXPECT_NE(show.out.find("  album:   Line\\nbreak\n"), std::string::npos) << show.out;
    EXPECT_NE(names.out.find("bell\\x07name.mp3\t"), std::string::npos) << names.out;
    // C1 controls: 0x81 is no character of cp1252 and reads as U+0081; a
    // stray byte 0x9B in a name is CSI to an 8-bit terminal.
    const TagBytes c1{"T", "A\x81" "B", "", "", "", 0};
    Write("c1/x\x9b.mp3", MakeMp3(&c1));
    const RunResult controls = RunCli({"list", Host("c1")});
    EXPECT_NE(controls.out.find("x\\x9b.mp3\t728 Byte\tA\\xc2\\x81B\tT\t"), std::string::npos) << controls.out;
    // Errors name such files escaped too.
    const RunResult missing = RunCli({"show", Host("n/gone\x1b[2J.mp3")});
    EXPECT_EQ(missing.err.find('\x1b'), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("gone\\x1b[2J.mp3"), std::string::npos) << missing.err;
}

TEST_F(CliOutput, CsvAndTsvReadBackAsTheFieldsAre)
{
    for (const char* format : {"csv", "tsv"}) {
        SCOPED_TRACE(format);
        const char* delimiter = std::string(format) == "csv" ? "," : "\\t";
        const RunResult list = RunCli({"list", "--format", format, "--header", Host("m")});
        EXPECT_EQ(list.status, 0) << list.err;
        EXPECT_EQ(CsvRows(list.out, delimiter),
                  "[['path', 'name', 'size', 'size_text', 'artist', 'title', 'album', 'year', 'genre', 'comment', "
                  "'track', 'genre_number', 'has_id3v2', 'state', 'reason'], "
                  "['" + Host("m/a.mp3") + "', 'a.mp3', '728', '728 Byte', 'Band\\x1b]0;pwned\\x07', "
                  "'Say \"hi\", go', 'Line\\nbreak', '1999', '', 'tab\\there', '', '150', 'false', 'tagged', ''], "
                  "['" + Host("m/b.mp3") + "', 'b.mp3', '728', '728 Byte', 'Band', 'Song', '', '', 'Rock', '', '', "
                  "'17', 'false', 'tagged', ''], "
                  "['" + Host("m/c.mp3") + "', 'c.mp3', '100', '100 Byte', '', '', '', '', '', '', '', '', 'false', "
                  "'untagged', '']]");
        const RunResult show = RunCli({"show", "--format", format, Host("m/a.mp3"), Host("m/nope.mp3")});
        EXPECT_EQ(show.status, 1);
        EXPECT_EQ(CsvRows(show.out, delimiter),
                  "[['" + Host("m/a.mp3") + "', '728', 'true', 'Band\\x1b]0;pwned\\x07', 'Say \"hi\", go', "
                  "'Line\\nbreak', '1999', '', 'tab\\there', '', '150', 'false', ''], "
                  "['" + Host("m/nope.mp3") + "', '', 'false', '', '', '', '', '', '', '', '', 'false', "
                  "'cannot open: No such file or directory']]");
    }
    // RFC 4180: CRLF line ends, quotes doubled inside quoted cells.
    const RunResult csv = RunCli({"list", "--format", "csv", Host("m")});
    EXPECT_NE(csv.out.find(",\"Say \"\"hi\"\", go\",\"Line\nbreak\","), std::string::npos) << csv.out;
    EXPECT_EQ(csv.out.substr(csv.out.size() - 2), "\r\n");
}

TEST_F(CliOutput, HeaderSummaryAndCountsReadRight)
{
    const RunResult header = RunCli({"list", "--header", Host("m")});
    EXPECT_EQ(FirstLine(header.out), "name\tsize\tartist\ttitle\talbum\tyear\tgenre\tcomment\tstate");
    const RunResult empty = RunCli({"list", Host("empty")});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "0 files\n");
    const struct {
        std::vector<std::string> args;
        std::string out;
    } lines[] = {
        {{"set", "--year", "2001", Host("m/b.mp3")}, "1 file changed\n"},
        {{"set", "--year", "2002", Host("m/b.mp3"), Host("m/a.mp3")}, "2 files changed\n"},
        {{"set", "--year", "2002", Host("m/b.mp3"), Host("m/a.mp3")}, "0 files changed, 2 unchanged\n"},
        {{"strip", "--dry-run", Host("m/b.mp3")}, "1 tag removed (dry run: nothing written)\n"},
        {{"multitag", "--dry-run", "--year", "1", Host("m")}, "3 files processed (dry run: nothing written)\n"},
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(line.out);
        const RunResult result = RunCli(line.args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, line.out);
    }
}

// The list summary uses the language of the settings, one file in the singular.
TEST_F(CliOutput, TheListSummaryCountsInTheLanguageOfTheSettings)
{
    const struct {
        const char* language;
        const char* one;
        const char* three;
    } cases[] = {{"English", "1 file, 100 Byte\n", "3 files, 1.00 KB\n"},
                 {"Deutsch", "1 Datei, 100 Byte\n", "3 Dateien, 1.00 KB\n"}};
    m_machine.MakeDir("one");
    m_machine.MakeDir("lang");
    std::filesystem::copy_file(Host("m/c.mp3"), Host("one/c.mp3"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        const std::string file = std::string(c.language) + ".qzd";
        std::filesystem::copy_file(std::string(SONADEX_LANG_DIR) + "/" + file, Host("lang/" + file));
        std::ofstream(m_machine.HiveFile(), std::ios::binary | std::ios::trunc)
            << "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\MountedDevices]\r\n\"\\\\DosDevices\\\\C:\"=\""
            << m_machine.Root() << "\"\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora]\r\n\"LangPath\"=\"C:\\\\lang\"\r\n"
            << "\"Language\"=\"" << c.language << "\"\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Velmora\\Sonadex Pro]\r\n"
            << "\"Rename\"=\"%1 - %2\"\r\n";
        const RunResult one = RunCli({"list", Host("one")});
        EXPECT_EQ(one.out.substr(one.out.find('\n') + 1), c.one);
        const RunResult three = RunCli({"list", Host("m")});
        EXPECT_EQ(three.out.substr(three.out.rfind('\n', three.out.size() - 2) + 1), c.three);
    }
}

// set with the values a file holds writes nothing; text longer than its field is cut with a note.
TEST_F(CliOutput, SetIsHonestAboutWhatItWrites)
{
    const std::string b = Read("m/b.mp3");
    {
        // Read-only: any attempt to write would fail and show.
        const CReadOnlyFile readOnly(Host("m/b.mp3"));
        ASSERT_TRUE(readOnly.Usable());
        const RunResult same =
            RunCli({"set", "--json", "--artist", "Band", "--title", "Song", "--genre", " rock ", Host("m/b.mp3")});
        EXPECT_EQ(same.status, 0) << same.err;
        EXPECT_EQ(JsonQuery(same.out, "(d['count'], d['changed'], [u['path'] for u in d['unchanged']])"),
                  "(1, [], ['" + Host("m/b.mp3") + "'])");
        EXPECT_EQ(same.err, "");
    }
    EXPECT_EQ(Read("m/b.mp3"), b);

    const RunResult number = RunCli({"set", "--genre", "200", Host("m/b.mp3")});
    EXPECT_EQ(number.status, 0) << number.err;
    EXPECT_EQ(static_cast<unsigned char>(Read("m/b.mp3").back()), 200);
    const RunResult name = RunCli({"set", "--genre", "AFRO-PUNK", Host("m/b.mp3")});
    EXPECT_EQ(static_cast<unsigned char>(Read("m/b.mp3").back()), 133);
    EXPECT_EQ(JsonQuery(RunCli({"show", "--json", Host("m/b.mp3")}).out, "d[0]['genre']"), "Afro-Punk");

    const std::string title = "A title of thirty-five bytes, yes!!";
    ASSERT_EQ(title.size(), 35u);
    const RunResult cut = RunCli({"set", "--title", title, "--year", "2024", Host("m/c.mp3")});
    EXPECT_EQ(cut.status, 0) << cut.err;
    EXPECT_EQ(cut.err, "sonadex-cli: note: title: the text is 35 bytes long, the field holds 30; it is cut to '" +
                           title.substr(0, 30) + "'\n");
    EXPECT_EQ(Read("m/c.mp3").substr(100 + 3, 30), title.substr(0, 30));
    const RunResult strict = RunCli({"set", "--strict", "--title", title, Host("m/b.mp3")});
    EXPECT_EQ(strict.status, 2);
    EXPECT_EQ(static_cast<unsigned char>(Read("m/b.mp3").back()), 133); // untouched
}

} // namespace

// show, list and genres: reading tags and printing them as text and JSON.
#include "CliFixture.h"
#include "CliRun.h"

#include <gtest/gtest.h>

namespace {

class CliRead : public CliTest {
protected:
    CliRead()
    {
        // cp1252 bytes: 0xF6 is o-umlaut, 0xE9 e-acute; a quote and a tab test the JSON escaping.
        // The first file is named as the pattern "%1 - %2" makes it.
        const TagBytes motor{"Ace \"of\" Spades", "Mot\xF6rhead", "Ace\tof Spades", "1980", "Caf\xE9", 137};
        Write("music/Mot\xC3\xB6rhead - Ace \"of\" Spades.mp3", MakeMp3(&motor)); // host names are UTF-8
        Write("music/b.MP3", MakeMp3(nullptr, 2000));
        const TagBytes rock{"Song", "Band", "", "", "", 17};
        Write("music/c.mp3", MakeMp3(&rock));
        Write("music/notes.txt", "not listed");
        const TagBytes deep{"Deep", "Sub", "", "", "", 0};
        Write("music/sub/d.mp3", MakeMp3(&deep));
        Write("music/sub/inner/e.mp3", MakeMp3(&deep));
        Write("music/zz/f.mp3", MakeMp3(nullptr));
    }
};

TEST_F(CliRead, ShowJsonReadsBackWithCodePageConversionAndNullSizeForMissingFiles)
{
    const RunResult result =
        RunCli({"show", "--json", Host("music/c.mp3"), Host("music/missing.mp3"), Host("music/b.MP3")});
    EXPECT_EQ(result.status, 1); // one file could not be read, the others were
    EXPECT_NE(result.err.find(Host("music/missing.mp3")), std::string::npos) << result.err;
    EXPECT_EQ(JsonQuery(result.out, "len(d)"), "3");
    EXPECT_EQ(JsonQuery(result.out, "[d[0][k] for k in ('path','size','has_tag','artist','title','genre','album')]"),
              "['" + Host("music/c.mp3") + "', 728, True, 'Band', 'Song', 'Rock', '']");
    EXPECT_EQ(JsonQuery(result.out, "(d[1]['size'], d[1]['has_tag'])"), "(None, False)");
    EXPECT_EQ(JsonQuery(result.out, "(d[2]['size'], d[2]['has_tag'], d[2]['genre'])"), "(2000, False, '')");

    const std::string motor = Host("music/Mot\xC3\xB6rhead - Ace \"of\" Spades.mp3");
    const RunResult special = RunCli({"show", "--json", motor});
    EXPECT_EQ(special.status, 0) << special.err;
    EXPECT_EQ(JsonQuery(special.out, "[d[0][k] for k in ('artist','title','album','year','genre','comment')] == "
                                     "['Mot\\u00f6rhead', 'Ace \"of\" Spades', 'Ace\\tof Spades', '1980', "
                                     "'Heavy Metal', 'Caf\\u00e9']"),
              "True");
    EXPECT_EQ(JsonQuery(special.out, "d[0]['path'] == '" + Host("music/Mot\\u00f6rhead - Ace \"of\" Spades.mp3") + "'"),
              "True");
}

TEST_F(CliRead, ShowTextPrintsEveryFieldAsUtf8)
{
    const RunResult result = RunCli({"show", Host("music/Mot\xC3\xB6rhead - Ace \"of\" Spades.mp3")});
    EXPECT_EQ(result.status, 0) << result.err;
    for (const char* line : {"  tag:     yes\n", "  artist:  Mot\xC3\xB6rhead\n", "  genre:   Heavy Metal\n",
                             "  comment: Caf\xC3\xA9\n", "  size:    728 bytes (728 Byte)\n"})
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
}

// "Live", zero padding, and track 7 behind a zero byte, as other tools write ID3v1.1.
const TagBytes kTracked{"T", "A", "", "", std::string("Live") + std::string(24, '\0') + std::string("\0\x07", 2), 255};

TEST_F(CliRead, ShowAndListGiveTheTrackAndMarkAnId3v2Tag)
{
    Write("t/a.mp3", MakeMp3(&kTracked));
    Write("t/b.mp3", "ID3\x04" + MakeMp3(&kTracked).substr(4));                 // an ID3v2 header in front
    const TagBytes plain{"T", "A", "", "", std::string(29, 'c') + "\x07", 255}; // byte 125 is text: no track
    Write("t/c.mp3", MakeMp3(&plain));
    Write("t/d.mp3", "ID3" + MakeMp3(nullptr));

    const RunResult show = RunCli(
        {"show", "--json", Host("t/a.mp3"), Host("t/b.mp3"), Host("t/c.mp3"), Host("t/d.mp3"), Host("t/missing.mp3")});
    EXPECT_EQ(show.status, 1);
    EXPECT_EQ(JsonQuery(show.out, "[(f['track'], f['has_id3v2'], f['comment']) for f in d]"),
              "[(7, False, 'Live'), (7, True, 'Live'), (None, False, '" + std::string(29, 'c') +
                  "\\x07'), (None, True, ''), (None, False, '')]");

    const RunResult list = RunCli({"list", "--json", Host("t")});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(JsonQuery(list.out, "[(r['name'], r['track'], r['has_id3v2']) for r in d['rows']]"),
              "[('a.mp3', 7, False), ('b.mp3', 7, True), ('c.mp3', None, False), ('d.mp3', None, True)]");

    const RunResult text = RunCli({"show", Host("t/a.mp3"), Host("t/c.mp3")});
    EXPECT_EQ(text.status, 0) << text.err;
    const std::size_t second = text.out.find(Host("t/c.mp3"));
    ASSERT_NE(second, std::string::npos) << text.out;
    EXPECT_NE(text.out.substr(0, second).find("  comment: Live\n  track:   7\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.substr(second).find("track:"), std::string::npos) << text.out;
}

TEST_F(CliRead, ListJsonHoldsTheFileListRowsAndSummary)
{
    WriteHive("\"Rename\"=\"%1 - %2\"\r\n");
    Write("music/Band - Song.mp3", Read("music/c.mp3"));
    const RunResult result = RunCli({"list", "--json", Host("music")});
    EXPECT_EQ(result.status, 0) << result.err;
    // The file list searches *.mp3 in any case and in the finder's order; subfolders are not entered.
    EXPECT_EQ(JsonQuery(result.out, "[r['name'] for r in d['rows']] == ['b.MP3', 'Band - Song.mp3', 'c.mp3', "
                                    "'Mot\\u00f6rhead - Ace \"of\" Spades.mp3']"),
              "True");
    EXPECT_EQ(JsonQuery(result.out, "[r['state'] for r in d['rows']]"), "['untagged', 'match', 'tagged', 'match']");
    EXPECT_EQ(JsonQuery(result.out, "(d['count'], d['total'], d['summary'])"), "(4, 4184, '4 files, 4.00 KB')");
    EXPECT_EQ(JsonQuery(result.out, "(d['rows'][0]['size'], d['rows'][0]['size_text'], d['rows'][0]['artist'])"),
              "(2000, '1.00 KB', '')");
    EXPECT_EQ(JsonQuery(result.out, "(d['folder'], d['rows'][2]['path'], d['rows'][2]['genre'])"),
              "('" + Host("music") + "', '" + Host("music/c.mp3") + "', 'Rock')");
}

TEST_F(CliRead, ListRecursiveWalksSubfoldersDepthFirstAndSumsTheWholeTree)
{
    const RunResult result = RunCli({"list", "--json", "-r", Host("music")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(JsonQuery(result.out, "[r['path'][len('" + Host("music/") + "'):] for r in d['rows']][3:]"),
              "['sub/d.mp3', 'sub/inner/e.mp3', 'zz/f.mp3']");
    EXPECT_EQ(JsonQuery(result.out, "d['count']"), "6");
}

TEST_F(CliRead, ListTextIsOneTabSeparatedLinePerRowThenTheSummary)
{
    const RunResult result = RunCli({"list", "--pattern", "%2", Host("music/sub")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "d.mp3\t728 Byte\tSub\tDeep\t\t\tBlues\t\ttagged\n1 file, 728 Byte\n");
    const RunResult match = RunCli({"list", "--pattern", "%1", Host("music/sub")});
    EXPECT_NE(match.out.find("\ttagged\n"), std::string::npos);
    const RunResult renamed = RunCli({"list", "--pattern", "d", Host("music/sub")});
    EXPECT_NE(renamed.out.find("\tmatch\n"), std::string::npos) << renamed.out;
}

TEST_F(CliRead, ListGivesTheSameOutputOnAnyNumberOfThreads)
{
    const CHeldFile held(Host("music/c.mp3"));
    // Text skips the read of each file's head that JSON's has_id3v2 needs;
    // no -j lets the reads add threads while they wait on the device.
    for (const std::vector<std::string>& format : {std::vector<std::string>{}, {"--json"}}) {
        std::vector<std::string> args{"list", "-r"};
        args.insert(args.end(), format.begin(), format.end());
        std::vector<std::string> oneArgs = args;
        oneArgs.insert(oneArgs.end(), {"-j", "1", Host("music")});
        const RunResult one = RunCli(oneArgs);
        EXPECT_EQ(one.status, 1);
        for (const char* jobs : {"2", "5", "64", ""}) {
            SCOPED_TRACE(testing::Message() << format.size() << " format options, jobs '" << jobs << "'");
            std::vector<std::string> manyArgs = args;
            if (*jobs) manyArgs.insert(manyArgs.end(), {"--jobs", jobs});
            manyArgs.push_back(Host("music"));
            const RunResult many = RunCli(manyArgs);
            EXPECT_EQ(many.status, one.status);
            EXPECT_EQ(many.out, one.out);
            EXPECT_EQ(many.err, one.err);
        }
    }
}

TEST_F(CliRead, ListOfAFolderThatIsNotThereFailsWithStatusOne)
{
    const RunResult result = RunCli({"list", Host("nowhere")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(Host("nowhere")), std::string::npos);
}

TEST_F(CliRead, ListNamesAFileInUseOnStderrAndStillShowsItsRow)
{
    const CHeldFile held(Host("music/c.mp3"));
    const RunResult result = RunCli({"list", "--json", Host("music")});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(Host("music/c.mp3") + ": cannot open: the file is in use by another program\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("temporarily"), std::string::npos) << result.err;
    EXPECT_EQ(JsonQuery(result.out, "[(r['size'], r['state'], r['reason']) for r in d['rows'] if r['name'] == 'c.mp3']"),
              "[(None, 'unreadable', 'cannot open: the file is in use by another program')]");
    EXPECT_EQ(JsonQuery(result.out, "[r['state'] for r in d['rows'] if r['name'] != 'c.mp3']"),
              "['untagged', 'match']");
}

TEST_F(CliRead, GenresListsAllNumbersInOrder)
{
    const RunResult result = RunCli({"genres"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.substr(0, 23), "0\tBlues\n1\tClassic Rock\n");
    EXPECT_NE(result.out.find("\n137\tHeavy Metal\n"), std::string::npos);
    EXPECT_EQ(result.out.substr(result.out.size() - 14), "147\tSynth Pop\n");
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 148);
}

} // namespace

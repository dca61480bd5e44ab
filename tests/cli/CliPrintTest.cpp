// print: the listing into a PDF file through the print helper.
#include "CliFixture.h"
#include "CliRun.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class CliPrint : public CliTest {};

TEST_F(CliPrint, WritesAPdfAndRefusesUnknownColumns)
{
    const TagBytes tag{"Song", "Band", "", "", "", 17};
    Write("p/a.mp3", MakeMp3(&tag));
    const RunResult printed = RunCli({"print", "--columns", "name,artist", "--pdf", Host("out.pdf"), Host("p")});
    EXPECT_EQ(printed.status, 0) << printed.err;
    EXPECT_EQ(printed.out, "1 page written to " + Host("out.pdf") + "\n");
    EXPECT_EQ(Read("out.pdf").substr(0, 5), "%PDF-");

    const RunResult bad = RunCli({"print", "--columns", "name,colour", "--pdf", Host("bad.pdf"), Host("p")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("unknown column 'colour'"), std::string::npos) << bad.err;
    EXPECT_FALSE(Exists("bad.pdf"));
}

// Standard output, a bad page size, an output that cannot be written and
// files the printout leaves out: each with its exit status and one clear line.
TEST_F(CliPrint, EveryOutcomeHasItsStatusAndItsOwnLine)
{
    const TagBytes tag{"Song", "Band", "", "", "", 17};
    Write("p/a.mp3", MakeMp3(&tag));
    Write("p/held.mp3", MakeMp3(&tag));
    ASSERT_EQ(mkfifo(Host("p/pipe.mp3").c_str(), 0644), 0);
    Write("q/a.mp3", MakeMp3(&tag));
    const CHeldFile held(Host("p/held.mp3"));
    const struct {
        std::vector<std::string> args;
        int status;
        bool pdfOnStdout;
        std::string err; // all of stderr
    } cases[] = {
        {{"print", "--pdf", "-", Host("q")}, 0, true, ""},
        {{"print", "--page-size", "letter", "--pdf", "-", Host("q")}, 0, true, ""},
        {{"print", "--page-size", "Z9", "--pdf", Host("z.pdf"), Host("q")}, 2, false,
         "sonadex-cli: unknown page size 'Z9' for --page-size (A4, A5, A3, Letter, Legal, ...)\n"
         "Usage: sonadex-cli COMMAND [OPTION]... [FILE|FOLDER]...\nTry 'sonadex-cli --help' for more information.\n"},
        {{"print", "--pdf", Host("nowhere/out.pdf"), Host("q")}, 1, false,
         "sonadex-cli: " + Host("nowhere/out.pdf") + ": cannot write the PDF file: No such file or directory\n"},
        {{"print", "--pdf", "-", Host("p")}, 1, true,
         "sonadex-cli: " + Host("p/held.mp3") + ": not printed: cannot open: the file is in use by another program\n"
         "sonadex-cli: " + Host("p/pipe.mp3") + ": not printed: cannot open: a FIFO, not a regular file\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[c.args.size() - 2] + " " + c.args.back());
        const RunResult result = RunCli(c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out.substr(0, 5) == "%PDF-", c.pdfOnStdout) << result.out.substr(0, 80);
    }
    EXPECT_FALSE(Exists("z.pdf"));
    EXPECT_FALSE(std::filesystem::exists("-")); // "-" is standard output, never a file of that name
}

// With -r each row shows the folder below the one printed, so rows of two
// folders that share a file name tell apart; read back from the PDF's text.
TEST_F(CliPrint, WithSubfoldersEachRowShowsItsFolder)
{
    const TagBytes tag{"Song", "Band", "", "", "", 17};
    Write("t/a.mp3", MakeMp3(&tag));
    Write("t/live/a.mp3", MakeMp3(&tag));
    Write("t/live/deep/b.mp3", MakeMp3(&tag));
    const RunResult printed = RunCli({"print", "-r", "--columns", "name,artist", "--pdf", Host("r.pdf"), Host("t")});
    ASSERT_EQ(printed.status, 0) << printed.err;
    const RunResult text = RunProgram("pdftotext", {"-layout", Host("r.pdf"), "-"});
    ASSERT_EQ(text.status, 0) << "pdftotext (poppler-utils) is needed: " << text.err;
    for (const char* row : {"a.mp3", "live\\a.mp3", "live\\deep\\b.mp3"})
        EXPECT_NE(text.out.find(row), std::string::npos) << row << "\n" << text.out;
    const RunResult flat = RunCli({"print", "--columns", "name", "--pdf", Host("f.pdf"), Host("t/live")});
    ASSERT_EQ(flat.status, 0) << flat.err;
    EXPECT_EQ(RunProgram("pdftotext", {Host("f.pdf"), "-"}).out.find("live\\"), std::string::npos);
}

} // namespace

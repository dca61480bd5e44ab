// print: the listing into a PDF file or on a printer, through the print helper.
#include "CliFixture.h"
#include "CliRun.h"
#include "PrivateCups.h"

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

// On a printer of the print service: a named queue and the default queue of
// a cupsd of the test's own each receive the listing, and only they do.
TEST_F(CliPrint, PrintsOnThePrinterItIsGiven)
{
    const PrivateCups cups({"Listing", "Spare"}, "Listing");
    ASSERT_TRUE(cups.Failure().empty()) << "no private cupsd: " << cups.Failure();
    const TagBytes tag{"Song", "Band", "", "", "", 17};
    Write("p/Alpha Song.mp3", MakeMp3(&tag));
    const struct {
        std::vector<std::string> args;
        std::string queue; // the one that prints
        std::string paper; // as pdfinfo names it
    } cases[] = {
        {{"print", "--printer", "Spare", Host("p")}, "Spare", "(A4)"},
        {{"print", "--printer=Spare", "--page-size", "letter", Host("p")}, "Spare", "(letter)"},
        {{"print", "--printer", Host("p")}, "Listing", "(A4)"},
        {{"print", "--columns", "name", "--printer=", Host("p")}, "Listing", "(A4)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[c.args.size() - 2]);
        const RunResult result = RunCli(c.args);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out, "1 page sent to printer " + c.queue + "\n");
        ASSERT_TRUE(cups.WaitForJobs(60)) << "the print job did not end";
        for (const char* queue : {"Listing", "Spare"}) {
            const std::string output = cups.OutputPath(queue);
            EXPECT_EQ(std::filesystem::exists(output), queue == c.queue) << queue;
            if (queue != c.queue) continue;
            const RunResult text = RunProgram("pdftotext", {output, "-"});
            ASSERT_EQ(text.status, 0) << "pdftotext (poppler-utils) is needed: " << text.err;
            EXPECT_NE(text.out.find("Alpha Song.mp3"), std::string::npos) << text.out;
            const RunResult info = RunProgram("pdfinfo", {output});
            EXPECT_NE(info.out.find("pts " + c.paper), std::string::npos) << info.out;
            std::filesystem::remove(output);
        }
    }
}

// A printer that does not exist, or no default printer: one line that names
// the printers there are, exit status 1, and no job for any printer.
TEST_F(CliPrint, APrinterThatCannotBeUsedIsNamed)
{
    const PrivateCups cups({"Listing"}, "");
    ASSERT_TRUE(cups.Failure().empty()) << "no private cupsd: " << cups.Failure();
    const TagBytes tag{"Song", "Band", "", "", "", 17};
    Write("p/a.mp3", MakeMp3(&tag));
    const std::string noDefault =
        "sonadex-cli: no default printer is set; name one with --printer=NAME (printers: Listing)\n";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err; // all of stderr
    } cases[] = {
        {{"print", "--printer", "Nope", Host("p")}, 1, "sonadex-cli: no printer named 'Nope' (printers: Listing)\n"},
        {{"print", "--printer=listing", Host("p")}, 1,
         "sonadex-cli: no printer named 'listing' (printers: Listing)\n"},
        {{"print", "--printer", Host("p")}, 1, noDefault},
        {{"print", "--printer=", Host("p")}, 1, noDefault},
        {{"print", "--printer", "Listing", Host("missing")}, 1,
         "sonadex-cli: " + Host("missing") + ": not a folder that can be read\n"},
        {{"print", "--page-size", "A3", "--printer", "Listing", Host("p")}, 1,
         "sonadex-cli: printer Listing has no paper of size 'A3' (A4, Letter)\n"},
        {{"print", "--page-size", "Z9", "--printer", "Listing", Host("p")}, 2,
         "sonadex-cli: unknown page size 'Z9' for --page-size (A4, A5, A3, Letter, Legal, ...)\n"
         "Usage: sonadex-cli COMMAND [OPTION]... [FILE|FOLDER]...\nTry 'sonadex-cli --help' for more information.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[c.args.size() - 2] + " " + c.args.back());
        const RunResult result = RunCli(c.args);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, "");
    }
    ASSERT_TRUE(cups.WaitForJobs(60));
    EXPECT_FALSE(std::filesystem::exists(cups.OutputPath("Listing")));
}

} // namespace

// print: the listing into a PDF file through the print helper.
#include "CliFixture.h"
#include "CliRun.h"

#include <gtest/gtest.h>

namespace {

class CliPrint : public CliTest {};

TEST_F(CliPrint, WritesAPdfAndRefusesUnknownColumns)
{
    const TagBytes tag{"Song", "Band", "", "", "", 17};
    Write("p/a.mp3", MakeMp3(&tag));
    const RunResult printed = RunCli({"print", "--columns", "name,artist", "--pdf", Host("out.pdf"), Host("p")});
    EXPECT_EQ(printed.status, 0) << printed.err;
    EXPECT_EQ(printed.out, "1 pages written to " + Host("out.pdf") + "\n");
    EXPECT_EQ(Read("out.pdf").substr(0, 5), "%PDF-");

    const RunResult bad = RunCli({"print", "--columns", "name,colour", "--pdf", Host("bad.pdf"), Host("p")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find("unknown column 'colour'"), std::string::npos) << bad.err;
    EXPECT_FALSE(Exists("bad.pdf"));
}

} // namespace

// Garbage and odd input never crash the program, and paths off every drive
// are refused.
#include "CliFixture.h"
#include "CliRun.h"

#include <gtest/gtest.h>
#include <random>

namespace {

class CliRobust : public CliTest {};

TEST_F(CliRobust, GarbageFilesAndOddEntriesAreHandledWithoutACrash)
{
    std::mt19937 random(1234);
    auto noise = [&](std::size_t size) {
        std::string bytes(size, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        return bytes;
    };
    Write("g/empty.mp3", "");
    Write("g/short.mp3", "TAG");
    Write("g/exact.mp3", "TAG" + noise(125)); // 128 bytes: never a tag
    Write("g/noise.mp3", noise(5000));
    Write("g/tagnoise.mp3", noise(300) + "TAG" + noise(125)); // every field byte and genre random
    Write("g/ctl.mp3", MakeMp3(nullptr) + "TAG" + std::string(30, '\x01') + std::string(95, '\x1f'));
    m_machine.MakeDir("g/folder.mp3");
    // Control characters in a field come out escaped, and the document stays valid.
    const RunResult ctl = RunCli({"show", "--json", Host("g/ctl.mp3")});
    EXPECT_NE(ctl.out.find("\\u0001"), std::string::npos);
    const std::vector<std::vector<std::string>> runs = {
        {"show", "--json", Host("g/empty.mp3"), Host("g/short.mp3"), Host("g/exact.mp3"), Host("g/noise.mp3"),
         Host("g/tagnoise.mp3"), Host("g/ctl.mp3"), Host("g/folder.mp3")},
        {"list", "--json", "-r", Host("g")},
        {"list", Host("g")},
        {"rename-all", "--dry-run", "--json", Host("g")},
        {"set", "--comment", "ok", Host("g/short.mp3"), Host("g/exact.mp3"), Host("g/tagnoise.mp3")},
        {"strip", Host("g/ctl.mp3"), Host("g/folder.mp3")},
        {"multitag", "--json", "-r", "--year", "2000", Host("g")},
    };
    for (const auto& args : runs) {
        SCOPED_TRACE(args.front() + " " + args[1]);
        const RunResult result = RunCli(args);
        EXPECT_EQ(result.signal, 0) << result.err;
        EXPECT_TRUE(result.status == 0 || result.status == 1) << result.status << " " << result.err;
        if (args[1] == "--json") {
            EXPECT_EQ(JsonQuery(result.out, "'ok'"), "ok") << result.out;
        }
    }
    EXPECT_EQ(Read("g/exact.mp3").size(), 256u); // a tag is appended, as the tag rule says
}

TEST_F(CliRobust, PathsOnNoDriveAreRefused)
{
    const std::string outside = "/proc/self/status"; // the drive table maps only the test folder
    const RunResult show = RunCli({"show", outside});
    EXPECT_EQ(show.status, 1);
    EXPECT_NE(show.err.find("not on any drive"), std::string::npos) << show.err;
    const RunResult list = RunCli({"list", "/"});
    EXPECT_EQ(list.status, 1);
    EXPECT_NE(list.err.find("not on any drive"), std::string::npos) << list.err;
}

} // namespace

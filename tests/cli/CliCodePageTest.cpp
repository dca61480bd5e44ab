// The machine's code page on the command line: pages it cannot run on are
// refused by name, and typed text the page cannot hold is refused, never
// written as '?'. Every refusal leaves every file as it was.
#include "CliFixture.h"
#include "CliRun.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

class CliCodePage : public CliTest {
protected:
    CliCodePage()
    {
        const TagBytes tag{"Autobahn", "Kraftwerk", "", "1974", "", 52};
        Write("album/a.mp3", MakeMp3(&tag));
    }

    // The drive table and program keys, plus "ACP".
    void WriteHiveWithCodePage(const std::string& acp) const
    {
        WriteHive();
        std::ofstream(m_machine.HiveFile(), std::ios::binary | std::ios::app)
            << "\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\r\n\"ACP\"=\"" << acp
            << "\"\r\n";
    }

    // Each command that writes, and one that only reads.
    std::vector<std::vector<std::string>> Commands() const
    {
        return {{"set", "--artist", "X", Host("album/a.mp3")},
                {"strip", Host("album/a.mp3")},
                {"rename", "--pattern", "%2", Host("album/a.mp3")},
                {"rename-all", "--pattern", "%2", Host("album")},
                {"multitag", "--artist", "X", Host("album")},
                {"show", Host("album/a.mp3")}};
    }
};

TEST_F(CliCodePage, UnusableCodePageIsRefusedByNameAndNothingIsTouched)
{
    for (const char* acp : {"500", "037", "932", "65001", "99999", "cp1252"}) {
        WriteHiveWithCodePage(acp);
        const auto before = Snapshot();
        for (const auto& command : Commands()) {
            SCOPED_TRACE(std::string(acp) + " " + command.front());
            const RunResult result = RunCli(command);
            EXPECT_EQ(result.status, 2);
            EXPECT_EQ(result.out, "");
            const std::string quoted = std::string(1, '"').append(acp).append(1, '"');
            EXPECT_NE(result.err.find(quoted), std::string::npos) << result.err;
            EXPECT_EQ(Snapshot(), before);
        }
    }
}

TEST_F(CliCodePage, TextTheCodePageCannotHoldIsRefusedNamingFieldAndCharacter)
{
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"set", "--artist", "\xC5\x81\xC3\xB3" "d\xC5\xBA", Host("album/a.mp3")},
         "artist: '\xC5\x81' is not in code page 1252"},
        {{"set", "--title", "ok", "--comment", "x \xE6\x97\xA5\xE6\x9C\xAC", Host("album/a.mp3")},
         "comment: '\xE6\x97\xA5' is not in code page 1252"},
        {{"multitag", "--album", "\xF0\x9F\x8E\xB5", Host("album")}, "album: '\xF0\x9F\x8E\xB5' is not in code page 1252"},
        {{"rename", "--pattern", "%1 \xE2\x86\x92 %2", Host("album/a.mp3")},
         "pattern: '\xE2\x86\x92' is not in code page 1252"},
        {{"rename-all", "--pattern", "\xD0\x96 %2", Host("album")}, "pattern: '\xD0\x96' is not in code page 1252"},
        {{"set", "--year", "19\xFF", Host("album/a.mp3")}, "year: the text is not valid UTF-8"},
    };
    const auto before = Snapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const RunResult result = RunCli(c.args);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("'?'"), std::string::npos) << result.err;
        EXPECT_EQ(Snapshot(), before);
    }
}

// On a Central European machine the same text is stored; a byte that cp1252
// leaves undefined, typed as its own code point U+0081, is written as 0x81.
TEST_F(CliCodePage, TextThePageHoldsIsWrittenAsItsBytes)
{
    const struct {
        const char* acp;
        const char* typed;
        std::string bytes;
    } cases[] = {
        {"1250", "\xC5\x81\xC3\xB3" "d\xC5\xBA", "\xA3\xF3" "d\x9F"},
        {"1252", "A\xC2\x81Z", "A\x81Z"},
        {"1251", "\xD0\x96\xC2\x98", "\xC6\x98"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.acp);
        WriteHiveWithCodePage(c.acp);
        const RunResult result = RunCli({"set", "--artist", c.typed, Host("album/a.mp3")});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(Read("album/a.mp3").substr(600 + 33, 30), c.bytes + std::string(30 - c.bytes.size(), ' '));
        const RunResult shown = RunCli({"show", "--json", Host("album/a.mp3")});
        EXPECT_NE(shown.out.find(c.typed), std::string::npos) << shown.out;
    }
}

} // namespace

// sonadex --help and --version answer and end; other arguments start the window.
#include "CommandLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

TEST(CommandLine, HelpAndVersionAnswerOtherArgumentsGoToTheWindow)
{
    const struct {
        std::vector<const char*> args;
        std::optional<int> status;
        std::string outStart;
    } cases[] = {
        {{"sonadex", "--help"}, 0, "Usage: sonadex [--help | --version]\n"},
        {{"sonadex", "-h"}, 0, "Usage: sonadex"},
        {{"sonadex", "--version"}, 0, "sonadex " SONADEX_VERSION "\n"},
        {{"sonadex", "-style", "fusion", "-V"}, 0, "sonadex "},
        {{"sonadex"}, std::nullopt, ""},
        {{"sonadex", "-style", "fusion"}, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        std::ostringstream out;
        EXPECT_EQ(AnswerCommandLine(static_cast<int>(c.args.size()), c.args.data(), out), c.status);
        EXPECT_EQ(out.str().substr(0, c.outStart.size()), c.outStart);
        if (!c.status) {
            EXPECT_EQ(out.str(), "");
        }
    }
}

// The built program answers without a display and without settings: a
// window that started instead would not end before the time limit.
TEST(CommandLine, TheProgramAnswersWithoutStartingTheWindow)
{
    for (const char* option : {"--help", "--version"}) {
        SCOPED_TRACE(option);
        const std::string command = std::string("env -u DISPLAY -u WAYLAND_DISPLAY SONADEX_HIVE=/nonexistent/hklm.reg "
                                                "timeout 20 ") + SONADEX_WINDOW_PATH + " " + option;
        FILE* const pipe = popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buffer[256];
        while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        const int status = pclose(pipe); // the exit status, which a deleter would drop
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_NE(out.find("sonadex"), std::string::npos) << out;
    }
}

} // namespace

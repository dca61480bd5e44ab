#include "PrintHelper.h"

#include "CliOutput.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <vector>

#ifndef SONADEX_PRINT_HELPER_RELATIVE
#define SONADEX_PRINT_HELPER_RELATIVE "../libexec/sonadex-pro"
#endif

namespace {
const char* const kHelperName = "sonadex-cli-print";

// Beside this program in the build tree, else in the installed libexec folder.
std::vector<std::filesystem::path> HelperCandidates()
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    const auto folder = self.parent_path();
    return {folder / kHelperName, (folder / SONADEX_PRINT_HELPER_RELATIVE / kHelperName).lexically_normal()};
}
} // namespace

int RunPrintHelper(int argc, char* argv[])
{
    std::vector<char*> arguments(argv, argv + argc);
    arguments.push_back(nullptr);
    for (const auto& candidate : HelperCandidates()) {
        if (access(candidate.c_str(), X_OK) != 0) continue;
        std::fflush(stdout);
        execv(candidate.c_str(), arguments.data());
        WriteError(std::string("cannot start ") + candidate.string() + ": " + ErrorText(errno));
        return 1;
    }
    WriteError("the print command is not available: sonadex-cli-print was not built or installed");
    return 1;
}

// Arbitrary bytes as sonadex-cli's arguments, split at zero bytes (an
// argument cannot hold one). Parsing must not crash or hang, must give the
// same answer twice (getopt keeps state between calls), and what it accepts
// must be a complete command the program can run.
#include "FuzzCheck.h"

#include "cli/CliCommandTable.h"
#include "cli/CliOptions.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> Arguments(std::string_view input)
{
    std::vector<std::string> args{"sonadex-cli"};
    for (std::size_t start = 0; start <= input.size();) {
        const std::size_t end = std::min(input.find('\0', start), input.size());
        args.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }
    return args;
}

// getopt_long reorders argv, so each parse gets its own copy.
ParsedCommandLine Parse(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    return ParseCommandLine(static_cast<int>(args.size()), argv.data());
}

void CheckAccepted(const CliOptions& options, const std::vector<std::string>& args)
{
    if (options.help || options.version) return;
    FUZZ_CHECK(options.command != nullptr);
    const CliCommand& rule = *options.command;
    const int operands = static_cast<int>(options.operands.size());
    FUZZ_CHECK(operands >= rule.minOperands);
    FUZZ_CHECK(rule.maxOperands < 0 || operands <= rule.maxOperands);
    FUZZ_CHECK(OutputFormatOf(options).has_value());
    if (options.track) FUZZ_CHECK(TrackNumber(*options.track).has_value());
    if (options.jobs) FUZZ_CHECK(JobCount(*options.jobs).has_value());
    FUZZ_CHECK(options.Jobs() >= 1);
    // Every operand is an argument as typed.
    for (const std::string& operand : options.operands)
        FUZZ_CHECK(std::ranges::find(args, operand) != args.end());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> args = Arguments(std::string_view(reinterpret_cast<const char*>(data), size));
    const ParsedCommandLine first = Parse(args);
    const ParsedCommandLine second = Parse(args);
    FUZZ_CHECK(first.error == second.error);
    FUZZ_CHECK(first.options.command == second.options.command);
    FUZZ_CHECK(first.options.operands == second.options.operands);
    if (first.error.empty()) CheckAccepted(first.options, args);
    return 0;
}

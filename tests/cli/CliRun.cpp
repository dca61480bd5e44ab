#include "CliRun.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Temporary files for the child's three streams, removed on destruction.
struct StreamFiles {
    std::string in, out, err;
    StreamFiles()
    {
        char tmpl[] = "/tmp/sonadex-cli-run-XXXXXX";
        const char* dir = mkdtemp(tmpl);
        if (!dir) std::abort();
        const std::string base = dir;
        in = base + "/in";
        out = base + "/out";
        err = base + "/err";
    }
    ~StreamFiles()
    {
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(in).parent_path(), ec);
    }
};

} // namespace

RunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& stdinText)
{
    StreamFiles files;
    std::ofstream(files.in, std::ios::binary) << stdinText;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, files.in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, files.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, files.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    RunResult result;
    const int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return result;
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = Slurp(files.out);
    result.err = Slurp(files.err);
    return result;
}

RunResult RunCli(const std::vector<std::string>& args)
{
    return RunProgram(SONADEX_CLI_PATH, args);
}

std::string JsonQuery(const std::string& json, const std::string& expression)
{
    // Strict UTF-8 decoding: the document must be valid UTF-8 as well as valid JSON.
    const std::string script = "import json,sys\n"
                               "try:\n    d = json.loads(sys.stdin.buffer.read().decode('utf-8'))\n"
                               "except ValueError:\n    print('<invalid JSON>'); sys.exit(0)\n"
                               "sys.stdout.buffer.write((str(" +
                               expression + ") + '\\n').encode('utf-8'))\n";
    RunResult result = RunProgram("python3", {"-c", script}, json);
    if (result.status != 0) return "<python failed: " + result.err + ">";
    while (!result.out.empty() && result.out.back() == '\n')
        result.out.pop_back();
    return result.out;
}

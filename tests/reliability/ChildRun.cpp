#include "ChildRun.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr uid_t kNobody = 65534;

// A temporary file for one of the child's streams, removed on destruction.
class StreamFile {
public:
    StreamFile()
    {
        char name[] = "/tmp/sonadex-rel-stream-XXXXXX";
        m_fd = mkstemp(name);
        if (m_fd < 0) std::abort();
        m_path = name;
    }
    ~StreamFile()
    {
        close(m_fd);
        unlink(m_path.c_str());
    }
    StreamFile(const StreamFile&) = delete;
    StreamFile& operator=(const StreamFile&) = delete;
    int Fd() const { return m_fd; }
    std::string Text() const
    {
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    int m_fd = -1;
    std::string m_path;
};

std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra)
{
    std::vector<std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('=') + 1);
        bool replaced = false;
        for (const std::string& added : extra)
            replaced = replaced || added.compare(0, name.size(), name) == 0;
        if (!replaced) merged.push_back(text);
    }
    merged.insert(merged.end(), extra.begin(), extra.end());
    return merged;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// In the child: only async-signal-safe calls up to the exec.
[[noreturn]] void ExecChild(const StreamFile& out, const StreamFile& err, const ChildOptions& options, char** argv,
                            char** envp)
{
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull < 0 || dup2(devNull, 0) < 0 || dup2(out.Fd(), 1) < 0 || dup2(err.Fd(), 2) < 0) _exit(126);
    if (options.asNobody && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(126);
    // A hung program must end the test, not stall it: the alarm outlives the exec.
    if (options.timeoutSeconds > 0) alarm(options.timeoutSeconds);
    execve(argv[0], argv, envp);
    _exit(127);
}

} // namespace

ChildResult RunChild(const std::string& program, const std::vector<std::string>& args, const ChildOptions& options)
{
    StreamFile out, err;
    std::vector<std::string> argvTexts{program};
    argvTexts.insert(argvTexts.end(), args.begin(), args.end());
    std::vector<std::string> envTexts = MergedEnvironment(options.env);
    std::vector<char*> argv = Pointers(argvTexts);
    std::vector<char*> envp = Pointers(envTexts);
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) ExecChild(out, err, options, argv.data(), envp.data());
    ChildResult result;
    if (pid < 0) return result;
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = out.Text();
    result.err = err.Text();
    return result;
}

std::vector<std::string> FaultEnvironment(const std::string& fault, const std::string& logFile)
{
    // A sanitizer build wants its runtime first; the shim only forwards calls.
    return {"LD_PRELOAD=" SONADEX_FAULT_SHIM, "SONADEX_FAULT=" + fault, "SONADEX_FAULT_LOG=" + logFile,
            "ASAN_OPTIONS=verify_asan_link_order=0"};
}

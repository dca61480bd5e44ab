#include "ChildProcess.h"

#include <cstdlib>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

int RunInChild(const std::function<int()>& fn)
{
    const pid_t pid = fork();
    if (pid == 0) _exit(fn());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

bool BecomeNobody()
{
    constexpr int kNobody = 65534;
    if (setgid(kNobody) != 0 || setuid(kNobody) != 0) return false;
    // Every user keeps an undo journal of their own, as separate homes would.
    if (const char* state = std::getenv("XDG_STATE_HOME"))
        setenv("XDG_STATE_HOME", (std::string(state) + "/nobody").c_str(), 1);
    return true;
}

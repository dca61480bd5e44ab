#include "ChildProcess.h"

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
    return setgid(kNobody) == 0 && setuid(kNobody) == 0;
}

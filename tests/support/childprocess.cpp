#include "tests/support/childprocess.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace dm::test {

int RunInChild(const std::function<int()>& body, bool unprivileged, unsigned timeoutSeconds)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        ::alarm(timeoutSeconds); // the default action of SIGALRM ends the child
        if (unprivileged && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(255);
        ::_exit(body() & 0xff);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace dm::test

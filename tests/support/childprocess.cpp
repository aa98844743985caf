#include "tests/support/childprocess.h"

#include "tests/support/tempdir.h"

#include <fcntl.h>
#include <cstdlib>
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

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment,
                      const std::filesystem::path& directory,
                      const std::function<bool()>& beforeStart)
{
    const TempDir capture;
    const std::string outFile = (capture / "out").string();
    const std::string errFile = (capture / "err").string();
    std::vector<std::string> settings = environment; // putenv keeps the pointers
    const pid_t pid = ::fork();
    if (pid < 0)
        return {};
    if (pid == 0) {
        ::alarm(300); // a program that hangs fails its test instead of stopping the suite
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
            ::_exit(127);
        for (std::string& setting : settings) {
            if (setting.find('=') == std::string::npos)
                ::unsetenv(setting.c_str());
            else
                ::putenv(setting.data());
        }
        if (!directory.empty() && ::chdir(directory.c_str()) != 0)
            ::_exit(127);
        if (beforeStart && !beforeStart())
            ::_exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    ProgramRun run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.signalled = WIFSIGNALED(status);
    run.out = ReadFile(outFile);
    run.err = ReadFile(errFile);
    return run;
}

} // namespace dm::test

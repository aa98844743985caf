#include "tests/scaleout/processes.h"

#include "tests/support/tempdir.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace dm::test {

Child Child::Program(const std::string& program, const std::vector<std::string>& args,
                     const std::filesystem::path& output, const std::vector<std::string>& environment)
{
    std::vector<std::string> settings = environment; // putenv keeps the pointers
    const std::string outputPath = output.string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int null = ::open("/dev/null", O_RDONLY);
        if (fd < 0 || null < 0 || ::dup2(null, 0) < 0 || ::dup2(fd, 1) < 0 || ::dup2(fd, 2) < 0)
            ::_exit(127);
        for (std::string& setting : settings)
            ::putenv(setting.data());
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execvp(program.c_str(), argv.data());
        ::_exit(127);
    }
    return Child(pid);
}

Child Child::Function(const std::function<int()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        // The child never returns into the test: it would run the remaining
        // tests, and its copies of the parent's children would end them.
        int status = 125;
        try {
            status = body() & 0xff;
        } catch (...) {
        }
        ::_exit(status);
    }
    return Child(pid);
}

Child::Child(Child&& other) noexcept
    : m_pid(other.m_pid), m_reaped(other.m_reaped), m_status(other.m_status)
{
    other.m_pid = -1;
}

Child& Child::operator=(Child&& other) noexcept
{
    if (this != &other) {
        if (Started() && !m_reaped)
            Stop(0);
        m_pid = other.m_pid;
        m_reaped = other.m_reaped;
        m_status = other.m_status;
        other.m_pid = -1;
    }
    return *this;
}

Child::~Child()
{
    if (Started() && !m_reaped)
        Stop(0);
}

std::optional<int> Child::Wait(double seconds)
{
    if (!Started())
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!m_reaped) {
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_reaped = true;
            m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (done < 0 && errno != EINTR) {
            m_reaped = true; // not our child any more: nothing to wait for
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return m_status;
}

void Child::Signal(int signal)
{
    if (Started() && !m_reaped)
        ::kill(m_pid, signal);
}

int Child::Stop(double graceSeconds)
{
    if (!Started())
        return -1;
    if (graceSeconds > 0) {
        Signal(SIGTERM);
        if (auto status = Wait(graceSeconds))
            return *status;
    }
    Signal(SIGKILL);
    while (!Wait(1.0)) {
    }
    return m_status;
}

int RunToEnd(const std::string& program, const std::vector<std::string>& args, double timeoutSeconds,
             std::string& out)
{
    const TempDir capture;
    const std::filesystem::path file = capture / "out";
    Child child = Child::Program(program, args, file);
    std::optional<int> status = child.Wait(timeoutSeconds);
    if (!status) {
        child.Stop(0);
        status = -1;
    }
    out = ReadFile(file);
    return *status;
}

} // namespace dm::test

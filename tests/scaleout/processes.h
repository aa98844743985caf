#pragma once
// Processes the scale-out test starts and must never leave behind: a daemon,
// a mount client, a writer on another "machine". A Child that is still
// running when it dies is killed and reaped, so a failed check cannot leave
// a process holding a mount.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace dm::test {

class Child {
public:
    Child() = default;
    // Runs program with args; its standard output and error go to output
    // (appended). Each entry of environment is "NAME=value".
    static Child Program(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& output, const std::vector<std::string>& environment = {});
    // Runs body in a forked child; its result (0..255) is the exit status,
    // 125 when it threw.
    static Child Function(const std::function<int()>& body);

    Child(Child&& other) noexcept;
    Child& operator=(Child&& other) noexcept;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child();

    pid_t Pid() const { return m_pid; }
    bool Started() const { return m_pid > 0; }
    // The exit status once the child ended within the time (-1 when a signal
    // ended it); nothing when it still runs.
    std::optional<int> Wait(double seconds);
    // Sends the signal; a child that has already been reaped gets none.
    void Signal(int signal);
    // SIGTERM, a grace period, then SIGKILL; always reaps. The exit status as Wait gives it.
    int Stop(double graceSeconds);

private:
    explicit Child(pid_t pid) : m_pid(pid) {}
    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_status = -1;
};

// Runs program with args to its end, at most timeoutSeconds; out holds what
// it printed. The exit status, or -1 when it did not end in time (it is
// killed then) or a signal ended it.
int RunToEnd(const std::string& program, const std::vector<std::string>& args, double timeoutSeconds,
             std::string& out);

} // namespace dm::test

#pragma once
// What the benchmarks that time programs share: running dmctl or a shell
// command line with its output thrown away, and the system's backslashed
// paths as paths of this machine.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace dm::bench {

// A finished command: wall seconds and its peak memory (of the process and
// whatever it waited for) in MB; negative seconds when it failed.
struct Timing {
    double seconds = -1;
    double peakMB = 0;
    double cpuSeconds = 0; // user and system time of the command and what it waited for
};

// Runs a command line through /bin/sh with its standard output to /dev/null.
inline Timing Timed(const std::string& command)
{
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    Timing timing;
    if (posix_spawn(&child, "/bin/sh", &actions, nullptr, const_cast<char**>(argv), environ) == 0) {
        int status = 0;
        struct rusage usage {};
        ::wait4(child, &status, 0, &usage);
        const auto stop = std::chrono::steady_clock::now();
        if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
            timing.seconds = std::chrono::duration<double>(stop - start).count();
        else
            std::fprintf(stderr, "failed (%d): %s\n", status, command.c_str());
        timing.peakMB = static_cast<double>(usage.ru_maxrss) / 1024.0;
        timing.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    posix_spawn_file_actions_destroy(&actions);
    return timing;
}

// Runs DM_BIN_DIR/dmctl with args; seconds of wall time, -1 when it failed.
inline double RunDmctl(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    const std::string program = std::string(DM_BIN_DIR) + "/dmctl";
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(child, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// "C:\db\LogData\x.log" formed from a local directory, with slashes.
inline std::filesystem::path Slashes(std::string_view systemPath)
{
    std::string path(systemPath);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

// Runs dmctl with first and with second once per iteration of state and
// keeps the fastest of each: a shared machine's noise only ever adds time,
// so the fastest run is the one that measures the program. The counters
// firstName and secondName get the two times in seconds, "ratio" the second
// over the first; a failed run fails the benchmark instead.
inline void CompareDmctlRuns(benchmark::State& state, const std::vector<std::string>& first,
                             const std::vector<std::string>& second, const std::string& firstName,
                             const std::string& secondName)
{
    double a = 1e9, b = 1e9;
    bool failed = false;
    for (auto _ : state) {
        const double x = RunDmctl(first);
        const double y = RunDmctl(second);
        failed = failed || x <= 0 || y <= 0;
        a = std::min(a, x);
        b = std::min(b, y);
    }
    if (failed) {
        state.SkipWithError("dmctl failed (is it built beside the benchmark?)");
        return;
    }
    state.counters[firstName] = a;
    state.counters[secondName] = b;
    state.counters["ratio"] = b / a;
}

} // namespace dm::bench

#pragma once
// What the benchmarks that time dmctl share: running it with its output
// thrown away, and the system's backslashed paths as paths of this machine.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace dm::bench {

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

} // namespace dm::bench

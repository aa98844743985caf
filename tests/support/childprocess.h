#pragma once
// Runs a piece of a test in a child process: for code that may block for
// good (a test must fail, not hang) and for checks of file modes, which bind
// only an unprivileged user.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace dm::test {

// Runs body in a forked child and returns its result (0..255), or -1 when
// the child did not finish within timeoutSeconds (it is killed then) or died
// otherwise. With unprivileged, a child of root first becomes the user
// "nobody" (65534), so that a file of mode 000 is unreadable to it.
int RunInChild(const std::function<int()>& body, bool unprivileged = false,
               unsigned timeoutSeconds = 10);

// What a program run by RunProgram left: its exit status (-1 when it was
// killed or did not finish in time) and everything it printed.
struct ProgramRun {
    int status = -1;
    bool signalled = false;
    std::string out;
    std::string err;
};

// Runs program with args in directory (empty: the current one). Each entry
// of environment is "NAME=value" to set or a bare "NAME" to remove.
// beforeStart, when given, runs in the child just before the program starts;
// false from it ends the child with status 126.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::string>& environment = {},
                      const std::filesystem::path& directory = {},
                      const std::function<bool()>& beforeStart = {});

} // namespace dm::test

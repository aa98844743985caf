#pragma once
// Runs dmctl with arguments (never through a shell) and collects what it printed.

#include <string>
#include <vector>

namespace dm::test {

struct DmctlResult {
    int status = -1; // exit status, -1 when it did not exit normally
    std::string out;
    std::string err;
};

DmctlResult RunDmctl(const std::vector<std::string>& args);

} // namespace dm::test

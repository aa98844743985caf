#pragma once
// Runs dmctl with arguments (never through a shell) and collects what it printed.

#include "tests/support/childprocess.h"

#include <string>
#include <vector>

namespace dm::test {

using DmctlResult = ProgramRun;

DmctlResult RunDmctl(const std::vector<std::string>& args);

} // namespace dm::test

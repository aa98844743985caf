#include "tests/dmctl/dmctlrunner.h"

#include "tests/support/childprocess.h"

namespace dm::test {

DmctlResult RunDmctl(const std::vector<std::string>& args)
{
    return RunProgram(std::string(DM_BIN_DIR) + "/dmctl", args);
}

} // namespace dm::test

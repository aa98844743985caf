#pragma once
// Runs dmctl with arguments (never through a shell) and collects what it printed.

#include "tests/support/childprocess.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace dm::test {

using DmctlResult = ProgramRun;

DmctlResult RunDmctl(const std::vector<std::string>& args);

// A network of its own for each test, built with dmctl itself: the local
// computer TESTHOST and the computer MASTER.
class DmctlNetworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = (m_dir / "net").string();
        ::setenv("DIALMIND_NETWORK", m_root.c_str(), 1);
        ::setenv("DIALMIND_COMPUTERNAME", "TESTHOST", 1);
        ASSERT_EQ(RunDmctl({"net", "init", m_root}).status, 0);
        ASSERT_EQ(RunDmctl({"net", "add-computer", "MASTER"}).status, 0);
    }
    TempDir m_dir;
    std::string m_root;
};

} // namespace dm::test

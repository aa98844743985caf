// Computer folders whose names differ only in case are one computer.

#include "platform/accounts/accountdatabase.h"
#include "platform/files/network.h"
#include "tests/platform/networkfixture.h"

#include <gtest/gtest.h>

using namespace dm;

namespace {

class ComputerFoldersTest : public dm::test::NetworkTest {};

TEST_F(ComputerFoldersTest, FoldersDifferingOnlyInCaseListAndReachOneComputer)
{
    const auto machines = m_dir.path() / "network" / "machines";
    Network::AddComputer("TESTHOST");
    std::filesystem::create_directories(machines / "hqras02");
    std::filesystem::create_directories(machines / "HqRas02");
    std::filesystem::create_directories(machines / "hqRAS02");
    EXPECT_EQ(Network::Computers(), (std::vector<std::string>{"HQRAS02", "TESTHOST"}));

    // Every name reaches the same folder, however the directory lists them.
    const auto dir = Network::ComputerDir("hqras02");
    ASSERT_TRUE(dir);
    EXPECT_EQ(dir->filename(), "HqRas02");
    for (const char* name : {"HQRAS02", "\\\\hqRAS02", "HqRas02"})
        EXPECT_EQ(Network::ComputerDir(name), dir) << name;

    // A folder named in upper case is the computer's own.
    std::filesystem::create_directories(machines / "HQRAS02");
    EXPECT_EQ(Network::ComputerDir("hqras02")->filename(), "HQRAS02");
    EXPECT_EQ(Network::Computers(), (std::vector<std::string>{"HQRAS02", "TESTHOST"}));
}

} // namespace

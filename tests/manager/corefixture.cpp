#include "tests/manager/corefixture.h"

#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/registry/registry.h"

#include <cstdlib>
#include <filesystem>

namespace dm::test {

void CoreFixture::SetUp()
{
    if (const char* old = std::getenv("DIALMIND_NETWORK")) {
        m_hadNetwork = true;
        m_oldNetwork = old;
    }
    setenv("DIALMIND_NETWORK", (m_dir / "network").c_str(), 1);
    Network::Root();
    m_db = ResolvePath(DatabaseDir()).path;
    std::filesystem::create_directories(m_db);
}

void CoreFixture::TearDown()
{
    if (m_hadNetwork)
        setenv("DIALMIND_NETWORK", m_oldNetwork.c_str(), 1);
    else
        unsetenv("DIALMIND_NETWORK");
}

void CoreFixture::AddServer(const std::string& name, bool master, const std::string& share)
{
    Network::AddComputer(name);
    RegKey hive, key;
    ASSERT_EQ(RegOpenHive(name, hive), 0u);
    ASSERT_EQ(hive.CreateKey("Software\\Microsoft\\RAS\\AdminDLL", key), 0u);
    ASSERT_EQ(key.SetString("Version", "1.40"), 0u);
    if (master) {
        ASSERT_EQ(key.SetDword("Master", 1), 0u);
        ASSERT_EQ(key.SetString("MasterShare", share), 0u);
    }
}

void CoreFixture::MonitorServer(const std::string& name, const std::string& listKey)
{
    RegKey hive, key;
    ASSERT_EQ(RegOpenLocalMachine(hive), 0u);
    ASSERT_EQ(hive.CreateKey("Software\\Osterhall Software\\Dialminder\\" + listKey + "\\" + name, key),
              0u);
}

void CoreFixture::SetDword(const std::string& computer, const std::string& keyPath,
                           const std::string& value, std::uint32_t number)
{
    RegKey hive, key;
    ASSERT_EQ(RegOpenHive(computer, hive), 0u);
    ASSERT_EQ(hive.CreateKey(keyPath, key), 0u);
    ASSERT_EQ(key.SetDword(value, number), 0u);
}

} // namespace dm::test

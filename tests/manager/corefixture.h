#pragma once
// A fresh emulated network for each test, with helpers that build what the
// manager core reads: monitored servers, their component keys, database files.

#include "tests/support/recordinginteraction.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace dm::test {

class CoreFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The database directory as the system names a local one, and where it
    // lies on this machine (inside the temporary network).
    std::string DatabaseDir() const { return "C:\\Dialmind"; }
    std::string HardwareFile() const { return DatabaseDir() + "\\Dialmind.hw"; }
    std::string UserFile() const { return DatabaseDir() + "\\Dialmind.usr"; }

    // A computer of the network with a server component key naming share
    // when master is set.
    void AddServer(const std::string& name, bool master = false, const std::string& share = {});
    // Appends the computer to the manager's server list key.
    void MonitorServer(const std::string& name, const std::string& listKey = "Servers");
    void SetDword(const std::string& computer, const std::string& key, const std::string& value,
                  std::uint32_t number);

    TempDir m_dir;
    std::filesystem::path m_db;
    RecordingInteraction m_ui;

private:
    std::string m_oldNetwork;
    bool m_hadNetwork = false;
};

} // namespace dm::test

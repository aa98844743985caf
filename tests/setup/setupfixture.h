#pragma once
// A fresh emulated network, desktop and installation medium for every test.

#include "platform/files/lzexpand.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "platform/registry/registry.h"
#include "setup/installer.h"
#include "tests/support/recordinginteraction.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace dm::test {

class SetupFixture : public ::testing::Test {
public:
    void SetUp() override
    {
        setenv("DIALMIND_NETWORK", (m_root / "network").c_str(), 1);
        setenv("DIALMIND_COMPUTERNAME", "TESTHOST", 1);
        setenv("XDG_DATA_HOME", (m_root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        Network::AddComputer("TESTHOST");
    }

    // Sets a string value in a computer's hive, creating the key.
    static void SetRegString(const std::string& computer, const std::string& key,
                             const std::string& name, const std::string& value)
    {
        RegKey hive, k;
        ASSERT_EQ(RegOpenHive(computer, hive), 0u);
        ASSERT_EQ(hive.CreateKey(key, k), 0u);
        ASSERT_EQ(k.SetString(name, value), 0u);
    }
    static void SetRegDword(const std::string& computer, const std::string& key,
                            const std::string& name, std::uint32_t value)
    {
        RegKey hive, k;
        ASSERT_EQ(RegOpenHive(computer, hive), 0u);
        ASSERT_EQ(hive.CreateKey(key, k), 0u);
        ASSERT_EQ(k.SetDword(name, value), 0u);
    }
    static RegKey OpenKey(const std::string& computer, const std::string& key)
    {
        RegKey hive, k;
        EXPECT_EQ(RegOpenHive(computer, hive), 0u);
        hive.OpenKey(key, k);
        return k;
    }
    static std::string RegString(const std::string& key, const std::string& name)
    {
        std::string text;
        OpenKey("TESTHOST", key).QueryString(name, text);
        return text;
    }

    // The RAS service state of a computer ("RemoteAccess" in services.ini).
    static void SetRasService(const std::string& computer, int state)
    {
        const auto dir = Network::ComputerDir(computer);
        ASSERT_TRUE(dir);
        WritePrivateProfileString("Services", "RemoteAccess", std::to_string(state),
                                  (*dir / "services.ini").string());
    }

    // RAS present on the local computer, as the wizard's check wants it.
    static void InstallRas(bool withVersion = true)
    {
        if (withVersion)
            SetRegString("TESTHOST", "Software\\Microsoft\\Ras\\CurrentVersion", "MajorVersion", "4");
        else
            SetRegString("TESTHOST", "Software\\Microsoft\\Ras\\CurrentVersion", "PathName", "x");
    }

    // A hive that can be read but not written: a directory where its lock
    // file should be.
    static void BreakLocalRegistry()
    {
        const auto lock = Network::ComputerDir("TESTHOST").value() / ".registry.reg.lock";
        std::filesystem::remove_all(lock);
        std::filesystem::create_directory(lock);
    }

    // An installation medium: every source file of the table, compressed,
    // with contents unique to each file. Returns the expanded contents by
    // installed name.
    std::map<std::string, std::string> MakeMedium()
    {
        const std::map<std::string, std::string> sources = {
            {"DIALMIND.EXE", "DIALMIND.EX_"}, {"DM.HLP", "DM.HL_"},
            {"DM.CNT", "DM.CN_"},             {"DMQUICK.EXE", "DMQUICK.EX_"},
            {"DMREPORT.EXE", "DMREPORT.EX_"}, {"NT_PURGE.EXE", "NT_PURGE.EX_"},
            {"DIALMIND.DLL", "DIALMIND.DL_"}, {"DIALMIND.USR", "DIALMIND.US_"},
            {"DIALMIND.HW", "Dialmind.hw_"},  {"MFC42.DLL", "MFC42.DL_"},
            {"MSVCRT40.DLL", "MSVCRT40.DL_"}, {"librassapi.so", "librassapi.s_"},
            {"libdmreport_window.so", "libdmreport_window.s_"}};
        std::filesystem::create_directories(m_medium);
        std::map<std::string, std::string> contents;
        unsigned seed = 1;
        for (const auto& [installed, source] : sources) {
            std::string text = "FileVersion=1.0.0." + std::to_string(seed) + "\r\n" + installed + "\n";
            for (int i = 0; i < 3000; ++i)
                text += static_cast<char>((i * 7 + seed * 13) % 256 ^ (i / 97));
            ++seed;
            contents[installed] = text;
            const std::vector<std::uint8_t> bytes(text.begin(), text.end());
            const auto packed = SzddCompress(bytes, Installer::SourceMissingChar(installed));
            WriteFile(m_medium / source, std::string(packed.begin(), packed.end()));
        }
        return contents;
    }

    // A file on the local computer by its system name.
    static std::filesystem::path Local(const std::string& systemPath)
    {
        return ResolvePathOrEmpty(systemPath);
    }

    TempDir m_root;
    std::filesystem::path m_medium = m_root / "medium";
    RecordingInteraction m_ui;
};

} // namespace dm::test

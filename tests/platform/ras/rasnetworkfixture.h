#pragma once
// A fresh emulated network per test: DIALMIND_NETWORK points at a temporary
// directory for the lifetime of the fixture, with helpers that write the
// files the RAS and account code reads.

#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace dm::test {

class RasNetworkFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("DIALMIND_NETWORK");
        m_hadOld = old != nullptr;
        if (m_hadOld)
            m_old = old;
        setenv("DIALMIND_NETWORK", m_dir.str().c_str(), 1);
        std::filesystem::create_directories(m_dir / "machines");
    }
    void TearDown() override
    {
        if (m_hadOld)
            setenv("DIALMIND_NETWORK", m_old.c_str(), 1);
        else
            unsetenv("DIALMIND_NETWORK");
    }

    std::filesystem::path Machine(const std::string& name)
    {
        const auto dir = m_dir / "machines" / name;
        std::filesystem::create_directories(dir / "windows");
        return dir;
    }
    void WriteMachineFile(const std::string& machine, const std::string& file,
                          const std::string& text)
    {
        WriteFile(Machine(machine) / file, text);
    }
    std::string ReadMachineFile(const std::string& machine, const std::string& file)
    {
        return ReadFile(m_dir / "machines" / machine / file);
    }

    TempDir m_dir;

private:
    bool m_hadOld = false;
    std::string m_old;
};

} // namespace dm::test

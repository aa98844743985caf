#pragma once
// A fixture with an emulated network of its own: DIALMIND_NETWORK points to
// a fresh directory and the local computer is TESTHOST for each test.

#include "platform/files/network.h"
#include "tests/support/tempdir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace dm::test {

class NetworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Remember("DIALMIND_NETWORK");
        Remember("DIALMIND_COMPUTERNAME");
        ::setenv("DIALMIND_NETWORK", (m_dir.path() / "network").c_str(), 1);
        ::setenv("DIALMIND_COMPUTERNAME", "TESTHOST", 1);
    }
    void TearDown() override
    {
        for (const auto& [name, value] : m_saved) {
            if (value.has_value)
                ::setenv(name.c_str(), value.text.c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }
    std::filesystem::path Machine(const std::string& name) const
    {
        return m_dir.path() / "network" / "machines" / name;
    }

    TempDir m_dir;

private:
    struct Saved {
        bool has_value = false;
        std::string text;
    };
    void Remember(const std::string& name)
    {
        const char* value = std::getenv(name.c_str());
        m_saved.emplace_back(name, Saved{value != nullptr, value ? value : ""});
    }
    std::vector<std::pair<std::string, Saved>> m_saved;
};

} // namespace dm::test

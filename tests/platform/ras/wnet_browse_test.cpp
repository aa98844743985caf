// Browsing the network: providers, domains, servers and shares, read in
// batches into the caller's buffer.

#include "platform/accounts/networkdirectory.h"
#include "platform/accounts/wnet.h"
#include "tests/platform/ras/rasnetworkfixture.h"

#include <gtest/gtest.h>

#include <vector>

using namespace dm;
using namespace dm::test;

namespace {

struct Seen {
    std::uint32_t displayType;
    std::string remoteName;
    std::string provider;
};

class WNetTest : public RasNetworkFixture {
protected:
    void SetUp() override
    {
        RasNetworkFixture::SetUp();
        Machine("DC1");
        WriteMachineFile("RAS1", "shares.ini",
                         "[Shares]\r\nDM_NT_DB=C:\\Dialmind\r\nC$=C:\\\r\nPUBLIC=C:\\Public\r\n");
        ASSERT_TRUE(NetworkDirectory::AddDomain("BIGCO", "DC1", NetworkDirectory::kWindowsProvider, "Head office"));
        ASSERT_TRUE(NetworkDirectory::AddServer("BIGCO", "RAS1"));
        ASSERT_TRUE(NetworkDirectory::AddDomain("SMALLCO", "", NetworkDirectory::kWindowsProvider, ""));
        ASSERT_TRUE(NetworkDirectory::AddDomain("OTHERNET", "", "Fieldline Office Network", ""));
    }

    // Opens the container and reads it all, batch by batch.
    std::vector<Seen> ReadAll(const NETRESOURCE* container, std::uint32_t bufferBytes = 4096,
                              std::uint32_t perCall = 0xFFFFFFFF)
    {
        std::vector<Seen> seen;
        WNetHandle handle = nullptr;
        EXPECT_EQ(0u, WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, container, &handle));
        std::vector<std::uint64_t> storage(bufferBytes / 8 + 1);
        for (int guard = 0; guard < 100; ++guard) {
            std::uint32_t count = perCall;
            std::uint32_t size = bufferBytes;
            const unsigned long result = WNetEnumResource(handle, &count, storage.data(), &size);
            if (result == 259)
                break;
            EXPECT_EQ(0u, result);
            auto* entries = reinterpret_cast<NETRESOURCE*>(storage.data());
            for (std::uint32_t i = 0; i < count; ++i)
                seen.push_back({entries[i].dwDisplayType, entries[i].lpRemoteName, entries[i].lpProvider});
        }
        EXPECT_EQ(0u, WNetCloseEnum(handle));
        return seen;
    }
    static NETRESOURCE Container(std::uint32_t displayType, const char* remote, const char* provider)
    {
        NETRESOURCE r{};
        r.dwDisplayType = displayType;
        r.lpRemoteName = const_cast<char*>(remote);
        r.lpProvider = const_cast<char*>(provider);
        return r;
    }
};

TEST_F(WNetTest, WalksFromTheTopDownToTheShares)
{
    const auto top = ReadAll(nullptr);
    ASSERT_EQ(2u, top.size());
    EXPECT_EQ(RESOURCEDISPLAYTYPE_NETWORK, top[0].displayType);
    EXPECT_EQ("Microsoft Windows Network", top[0].remoteName);
    EXPECT_EQ("Fieldline Office Network", top[1].remoteName);

    NETRESOURCE provider = Container(RESOURCEDISPLAYTYPE_NETWORK, top[0].remoteName.c_str(),
                                     top[0].provider.c_str());
    const auto domains = ReadAll(&provider);
    ASSERT_EQ(2u, domains.size());
    EXPECT_EQ(RESOURCEDISPLAYTYPE_DOMAIN, domains[0].displayType);
    EXPECT_EQ("BIGCO", domains[0].remoteName);
    EXPECT_EQ("SMALLCO", domains[1].remoteName);

    NETRESOURCE domain = Container(RESOURCEDISPLAYTYPE_DOMAIN, "BIGCO", "Microsoft Windows Network");
    const auto servers = ReadAll(&domain);
    ASSERT_EQ(2u, servers.size());
    EXPECT_EQ(RESOURCEDISPLAYTYPE_SERVER, servers[0].displayType);
    EXPECT_EQ("\\\\DC1", servers[0].remoteName);
    EXPECT_EQ("\\\\RAS1", servers[1].remoteName);

    NETRESOURCE server = Container(RESOURCEDISPLAYTYPE_SERVER, "\\\\RAS1", "");
    const auto shares = ReadAll(&server);
    ASSERT_EQ(2u, shares.size()); // the hidden C$ is not browsed
    EXPECT_EQ(RESOURCEDISPLAYTYPE_SHARE, shares[0].displayType);
    EXPECT_EQ("\\\\RAS1\\DM_NT_DB", shares[0].remoteName);

    NETRESOURCE share = Container(RESOURCEDISPLAYTYPE_SHARE, "\\\\RAS1\\PUBLIC", "");
    WNetHandle handle = nullptr;
    EXPECT_EQ(1207u, WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &share, &handle));
}

TEST_F(WNetTest, EntryCountAndBufferSizeLimitEachBatch)
{
    NETRESOURCE domain = Container(RESOURCEDISPLAYTYPE_DOMAIN, "BIGCO", "");
    // One entry per call still delivers both servers.
    EXPECT_EQ(2u, ReadAll(&domain, 4096, 1).size());

    WNetHandle handle = nullptr;
    ASSERT_EQ(0u, WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &domain, &handle));
    std::uint64_t tiny[2];
    std::uint32_t count = 0xFFFFFFFF;
    std::uint32_t size = sizeof tiny;
    ASSERT_EQ(234u, WNetEnumResource(handle, &count, tiny, &size));
    EXPECT_EQ(0u, count);
    EXPECT_GT(size, sizeof(NETRESOURCE));
    // The size it asked for is enough for exactly that entry.
    std::vector<std::uint64_t> fits(size / 8 + 1);
    count = 0xFFFFFFFF;
    ASSERT_EQ(0u, WNetEnumResource(handle, &count, fits.data(), &size));
    EXPECT_EQ(1u, count);
    EXPECT_STREQ("\\\\DC1", reinterpret_cast<NETRESOURCE*>(fits.data())->lpRemoteName);
    EXPECT_EQ(0u, WNetCloseEnum(handle));
    EXPECT_EQ(6u, WNetCloseEnum(handle));
    EXPECT_EQ(6u, WNetEnumResource(handle, &count, fits.data(), &size));
}

TEST_F(WNetTest, UsageAndScopeFilter)
{
    NETRESOURCE server = Container(RESOURCEDISPLAYTYPE_SERVER, "\\\\RAS1", "");
    WNetHandle handle = nullptr;
    ASSERT_EQ(0u, WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, RESOURCEUSAGE_CONTAINER, &server, &handle));
    std::uint64_t buffer[512];
    std::uint32_t count = 0xFFFFFFFF, size = sizeof buffer;
    EXPECT_EQ(259u, WNetEnumResource(handle, &count, buffer, &size));
    EXPECT_EQ(0u, WNetCloseEnum(handle));

    ASSERT_EQ(0u, WNetOpenEnum(RESOURCE_CONNECTED, RESOURCETYPE_ANY, 0, nullptr, &handle));
    count = 0xFFFFFFFF;
    EXPECT_EQ(259u, WNetEnumResource(handle, &count, buffer, &size));
    EXPECT_EQ(0u, WNetCloseEnum(handle));
    EXPECT_EQ(87u, WNetOpenEnum(9, RESOURCETYPE_ANY, 0, nullptr, &handle));
}

TEST_F(WNetTest, AnUnreachableServersSharesCannotBeListed)
{
    WriteMachineFile("RAS1", "machine.ini", "[Machine]\r\nReachable=0\r\n");
    NETRESOURCE server = Container(RESOURCEDISPLAYTYPE_SERVER, "\\\\RAS1", "");
    WNetHandle handle = nullptr;
    EXPECT_EQ(53u, WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, &server, &handle));
    EXPECT_EQ(nullptr, handle);
}

} // namespace

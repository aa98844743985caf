#include "manager/ui/views/meterrates.h"
#include "manager/ui/views/portstatuslines.h"

#include "platform/system/widetext.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace dm;
using L = PortStatusLines;

namespace {

struct PortData {
    RAS_PORT_1 port{};
    RAS_PORT_STATISTICS stats{};
    PortData()
    {
        CopyToWideField(port.rasport0.wszDeviceName, RASSAPI_MAX_DEVICE_NAME, "Fieldline V.34");
        CopyToWideField(port.rasport0.wszDeviceType, RASSAPI_MAX_DEVICETYPE_NAME, "Modem");
        CopyToWideField(port.rasport0.wszMediaName, RASSAPI_MAX_MEDIA_NAME, "rasser");
        port.rasport0.MediaType = MEDIA_SERIAL;
        port.LineCondition = RAS_PORT_LISTENING;
        port.HardwareCondition = RAS_MODEM_OPERATIONAL;
        port.LineSpeed = 28800;
        port.ProjResult.nbf.dwError = 731;
        port.ProjResult.ip.dwError = 731;
        port.ProjResult.ipx.dwError = 731;
    }
    void Connect()
    {
        CopyToWideField(port.rasport0.wszUserName, RASSAPI_UNLEN + 1, "anna");
        CopyToWideField(port.rasport0.wszLogonDomain, RASSAPI_DNLEN + 1, "OSTERHALL");
        CopyToWideField(port.rasport0.wszComputer, RASSAPI_NETBIOS_NAME_LEN, "ANNA-PC");
        port.rasport0.Flags = PPP_CLIENT | USER_AUTHENTICATED;
        port.LineCondition = RAS_PORT_AUTHENTICATED;
        port.ProjResult.ip.dwError = 0;
        CopyToWideField(port.ProjResult.ip.wszAddress, RAS_IPADDRESSLEN + 1, "10.1.2.3");
    }
    L::Result Compute() const { return L::Compute(port, stats); }
};

std::string Text(const L::Result& r, L::Line line)
{
    return r.texts[line].value_or("<unchanged>");
}

} // namespace

TEST(PortStatusLines, IdlePortShowsNoUserAndKeepsUnprojectedLines)
{
    PortData data;
    const auto r = data.Compute();
    EXPECT_FALSE(r.userConnected);
    EXPECT_EQ(Text(r, L::UserAccount), "User name:  ");
    EXPECT_EQ(Text(r, L::UsingPpp), "Using PPP:  ");
    EXPECT_EQ(Text(r, L::LineSpeed), "Line speed:  ");
    EXPECT_EQ(Text(r, L::ComputerName), "Computer name:  ");
    EXPECT_EQ(Text(r, L::DeviceName), "Device name:  Fieldline V.34");
    EXPECT_EQ(Text(r, L::SessionStarted), "Session started:  ");
    // Without a session the address lines are emptied, projected or not:
    // they must not keep the addresses of the caller who hung up.
    EXPECT_EQ(Text(r, L::IpAddress), "IP address:  ");
    EXPECT_EQ(Text(r, L::IpxAddress), "IPX address:  ");
    EXPECT_EQ(Text(r, L::NetBiosName), "NetBIOS name:  ");
}

TEST(PortStatusLines, ProjectionErrorsKeepTheLinesOfAConnectedUser)
{
    PortData data;
    data.Connect();
    data.port.ProjResult.ip.dwError = 731;
    const auto r = data.Compute();
    EXPECT_EQ(r.account, "OSTERHALL\\anna");
    EXPECT_FALSE(r.texts[L::IpAddress]) << "a projection error leaves the line as it was";
    EXPECT_FALSE(r.texts[L::IpxAddress]);
    EXPECT_FALSE(r.texts[L::NetBiosName]);
}

TEST(PortStatusLines, ConnectedUserLines)
{
    PortData data;
    data.Connect();
    auto r = data.Compute();
    EXPECT_TRUE(r.userConnected);
    EXPECT_EQ(r.userName, "anna");
    EXPECT_EQ(Text(r, L::UserAccount), "User name:  OSTERHALL\\anna");
    EXPECT_EQ(Text(r, L::UsingPpp), "Using PPP:  YES");
    EXPECT_EQ(Text(r, L::LineSpeed), "Port speed:  28800 bps");
    EXPECT_EQ(Text(r, L::IpAddress), "IP address:  10.1.2.3");
    EXPECT_EQ(Text(r, L::ComputerName), "Computer name:  ANNA-PC");
    data.port.rasport0.Flags = 0;
    EXPECT_EQ(Text(data.Compute(), L::UsingPpp), "Using PPP:  NO");

    // A user name alone still counts as a user; "\" alone does not.
    PortData domainOnly;
    CopyToWideField(domainOnly.port.rasport0.wszLogonDomain, RASSAPI_DNLEN + 1, "OSTERHALL");
    EXPECT_TRUE(domainOnly.Compute().userConnected);
}

TEST(PortStatusLines, IpLineIsEmptiedWhenProjectedWithoutUser)
{
    PortData data;
    data.port.ProjResult.ip.dwError = 0;
    CopyToWideField(data.port.ProjResult.ip.wszAddress, RAS_IPADDRESSLEN + 1, "10.9.9.9");
    EXPECT_EQ(Text(data.Compute(), L::IpAddress), "IP address:  ");
}

TEST(PortStatusLines, LineConditionsMediaTypesAndHardware)
{
    const std::pair<std::uint32_t, const char*> conditions[] = {
        {0, "NOT OPERATIONAL"}, {1, "NOT OPERATIONAL"}, {2, "DISCONNECTED"}, {3, "CALLING BACK"},
        {4, "WAITING FOR CALL"}, {5, "AUTHENTICATING"}, {6, "AUTHENTICATED"}, {7, "INITIALIZING"},
        {8, "NOT OPERATIONAL"}, {0xFFFFFFFF, "NOT OPERATIONAL"}};
    for (const auto& [code, text] : conditions)
        EXPECT_EQ(L::LineConditionText(code), std::string("Line condition:  ") + text) << code;
    const std::pair<std::uint32_t, const char*> media[] = {
        {0, "UNKNOWN"}, {1, "SERIAL"}, {2, "SERIAL (RAS10)"}, {3, "X25"}, {4, "ISDN"}, {5, "UNKNOWN"}};
    for (const auto& [code, text] : media)
        EXPECT_EQ(L::MediaTypeText(code), std::string("Media type:  ") + text) << code;

    PortData data;
    data.port.HardwareCondition = RAS_MODEM_HARDWARE_FAILURE;
    EXPECT_EQ(Text(data.Compute(), L::HardwareState), "Hardware state:  HARDWARE FAILURE");
    data.port.HardwareCondition = RAS_MODEM_NOT_RESPONDING;
    EXPECT_EQ(Text(data.Compute(), L::HardwareState), "Hardware state:  OK");
}

TEST(PortStatusLines, StatisticsAndCompressionRatios)
{
    PortData data;
    data.stats.dwBytesXmited = 600;
    data.stats.dwBytesXmitedUncompressed = 1000;
    data.stats.dwBytesXmitedCompressed = 600; // 400 saved: 1000 before compression
    data.stats.dwFramesXmited = 12;
    data.stats.dwBytesRcved = 333;
    data.stats.dwCrcErr = 4;
    data.stats.dwTimeoutErr = 5;
    data.stats.dwBufferOverrunErr = 6;
    const auto r = data.Compute();
    EXPECT_EQ(Text(r, L::BytesOut), "Outgoing bytes:  600");
    EXPECT_EQ(Text(r, L::BytesOutBefore), "Outgoing bytes before compress:  1000");
    EXPECT_EQ(Text(r, L::OutRatio), "Outgoing compress ratio:  40%");
    EXPECT_EQ(Text(r, L::FramesOut), "Outgoing frames:  12");
    EXPECT_EQ(Text(r, L::BytesInAfter), "Incoming bytes before decompress:  333");
    EXPECT_EQ(Text(r, L::InRatio), "Incoming compress ratio:  0%");
    EXPECT_EQ(Text(r, L::CrcErrors), "CRC errors:  4");
    EXPECT_EQ(Text(r, L::TimeoutErrors), "Timeouts:  5");
    EXPECT_EQ(Text(r, L::BufferErrors), "Buffer overruns:  6");

    EXPECT_EQ(L::CompressionRatio(0, 0), 0) << "no traffic gives ratio 0";
    EXPECT_EQ(L::CompressionRatio(1, 3), 67) << "100 - 33 by truncating division";
    // Large counters neither wrap in the ratio nor show as negative numbers.
    EXPECT_EQ(L::CompressionRatio(3000000000u, 4000000000u), 25);
    data.stats.dwBytesRcved = 3000000000u;
    EXPECT_EQ(Text(data.Compute(), L::BytesIn), "Incoming bytes:  3000000000");
}

TEST(PortStatusLines, CompressionThatAddsBytesShowsANegativeRatio)
{
    PortData data;
    // The compressor sent 166 bytes more than it was given: 1000 out, 834 before.
    data.stats.dwBytesXmited = 1000;
    data.stats.dwBytesXmitedUncompressed = 834;
    data.stats.dwBytesXmitedCompressed = 1000;
    data.stats.dwBytesRcved = 100;
    data.stats.dwBytesRcvedUncompressed = 0;
    data.stats.dwBytesRcvedCompressed = 4000000000u; // more than the bytes: nothing before
    const auto r = data.Compute();
    EXPECT_EQ(Text(r, L::BytesOutBefore), "Outgoing bytes before compress:  834");
    EXPECT_EQ(Text(r, L::OutRatio), "Outgoing compress ratio:  -19%");
    EXPECT_EQ(Text(r, L::InRatio), "Incoming compress ratio:  0%");
    EXPECT_EQ(L::BytesBefore(1000, 834, 1000), 834);
    EXPECT_EQ(L::CompressionRatio(4294967295LL, 1), 100 - 429496729500LL) << "no 32-bit wrap";
}

TEST(PortStatusLines, TreeLayoutAndInitialTexts)
{
    EXPECT_STREQ(L::GroupTitle(L::CurrentSession), "Current Session");
    EXPECT_EQ(L::GroupImage(L::SessionErrors), 1);
    EXPECT_EQ(L::GroupOf(L::UsingPpp), L::CurrentSession);
    EXPECT_EQ(L::GroupOf(L::HardwareState), L::DeviceData);
    EXPECT_EQ(L::GroupOf(L::FramesIn), L::SessionStatistics);
    EXPECT_EQ(L::GroupOf(L::BufferErrors), L::SessionErrors);
    EXPECT_STREQ(L::InitialText(L::UsingPpp), "Using PPP:  No");
    EXPECT_STREQ(L::InitialText(L::BufferErrors), "Buffer errors:  ");
}

TEST(MeterRates, TwoSuccessiveFills)
{
    MeterRates rates;
    // First fill: the whole session's bytes against a zero previous count.
    rates.Update(72000, 36000, 28800);
    EXPECT_EQ(rates.OutRate(), 1000);
    EXPECT_EQ(rates.InRate(), 500);
    EXPECT_EQ(MeterRates::Shown(rates.OutRate()), 0) << "over 100 the meter stays empty";
    // Second fill: 3600 bytes out more, nothing in.
    rates.Update(75600, 36000, 28800);
    EXPECT_EQ(rates.OutRate(), 50);
    EXPECT_EQ(rates.InRate(), 0) << "an unchanged counter gives 0";
    EXPECT_EQ(MeterRates::LitLength(rates.OutRate(), 140), 70);
}

TEST(MeterRates, EdgeCases)
{
    MeterRates rates;
    rates.Update(100, 100, 0);
    EXPECT_EQ(rates.OutRate(), 0) << "no line speed, no rate";
    rates.Update(200, 100 + 7272, 28800); // incoming 7272*400/28800 = 101
    EXPECT_EQ(rates.InRate(), 0);
    EXPECT_EQ(rates.OutRate(), 0) << "an incoming 101 clears both";
    // A counter reset (statistics cleared) wraps to a huge difference.
    rates.Update(50, 7372, 28800);
    EXPECT_GT(rates.OutRate(), 100);
    // Huge differences do not wrap into the meter's range.
    MeterRates big;
    big.Update(4000000000u, 0, 1);
    EXPECT_GT(big.OutRate(), 100);
    EXPECT_EQ(MeterRates::Shown(-3), 0);
    EXPECT_EQ(MeterRates::LitLength(100, 140), 140);
}

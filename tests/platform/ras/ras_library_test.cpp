// librassapi.so loaded through BindRasAdminLibrary and called the way the
// manager calls it, over a small emulated network.

#include "common/userinteraction.h"
#include "platform/ras/rasbind/rasadminfunctions.h"
#include "platform/ras/rasbind/sharedlibrary.h"
#include "platform/system/widetext.h"
#include "tests/platform/ras/rasnetworkfixture.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace dm;
using namespace dm::test;

namespace {

const char* const kTwoPorts =
    "[COM1]\r\nDeviceType=Modem\r\nDeviceName=Fieldline 33.6\r\nMediaName=rasser\r\n"
    "MediaType=1\r\nFlags=5\r\nLineCondition=6\r\nLineSpeed=28800\r\nUser=mkeller\r\n"
    "LogonDomain=LQ\r\nComputer=MKELLER-NB\r\nSessionStart=1733486400\r\nNbfError=0\r\n"
    "NbfName=MKELLER-NB\r\nNbfWorkstation=MKELLER-NB\r\nIpError=0\r\nIpAddress=10.20.0.42\r\n"
    "BytesTransmitted=4000000000\r\nBytesReceived=2\r\nFramesTransmitted=3\r\n"
    "FramesReceived=4\r\nCrcErrors=5\r\nTimeoutErrors=6\r\nAlignmentErrors=7\r\n"
    "HardwareOverrunErrors=8\r\nFramingErrors=9\r\nBufferOverrunErrors=10\r\n"
    "BytesTransmittedUncompressed=11\r\nBytesReceivedUncompressed=12\r\n"
    "BytesTransmittedCompressed=13\r\nBytesReceivedCompressed=14\r\n"
    "Param.MaxConnectBps=115200\r\nParam.InitString=AT&F1\r\n"
    "[ISDN1]\r\nDeviceType=ISDN\r\nMediaType=4\r\nLineCondition=4\r\nLineSpeed=64000\r\n";

class RasLibraryTest : public RasNetworkFixture {
protected:
    static void SetUpTestSuite()
    {
        s_library = new SharedLibrary;
        s_ras = new RasAdminFunctions;
        SilentInteraction ui;
        ASSERT_TRUE(BindRasAdminLibrary(*s_library, *s_ras, ui));
        ASSERT_TRUE(s_ras->AllBound());
    }
    static void TearDownTestSuite()
    {
        delete s_ras;
        delete s_library;
    }

    void SetUp() override
    {
        RasNetworkFixture::SetUp();
        WriteMachineFile("RAS1", "ras.ini", kTwoPorts);
    }

    struct PortInfo {
        DWORD result;
        RAS_PORT_1 port;
        RAS_PORT_STATISTICS stats;
    };
    PortInfo GetInfo(const char* server, const char* port)
    {
        PortInfo info{};
        RAS_PARAMETERS* params = nullptr;
        info.result = s_ras->RasAdminPortGetInfo(ToWide(server).c_str(), ToWide(port).c_str(),
                                                 &info.port, &info.stats, &params);
        EXPECT_EQ(0u, s_ras->RasAdminFreeBuffer(params));
        return info;
    }
    RAS_SERVER_0 ServerInfo(const char* server, DWORD expected = 0)
    {
        RAS_SERVER_0 info{};
        EXPECT_EQ(expected, s_ras->RasAdminServerGetInfo(ToWide(server).c_str(), &info));
        return info;
    }

    static SharedLibrary* s_library;
    static RasAdminFunctions* s_ras;
};

SharedLibrary* RasLibraryTest::s_library = nullptr;
RasAdminFunctions* RasLibraryTest::s_ras = nullptr;

TEST_F(RasLibraryTest, EnumeratesPortsInFileOrderWithTheirSessions)
{
    RAS_PORT_0* ports = nullptr;
    WORD count = 0;
    ASSERT_EQ(0u, s_ras->RasAdminPortEnum(u"\\\\RAS1", &ports, &count));
    ASSERT_EQ(2, count);
    EXPECT_EQ("COM1", FromWide(ports[0].wszPortName));
    EXPECT_EQ("mkeller", FromWide(ports[0].wszUserName));
    EXPECT_EQ("LQ", FromWide(ports[0].wszLogonDomain));
    EXPECT_EQ(1733486400u, ports[0].dwStartSessionTime);
    EXPECT_EQ(MEDIA_SERIAL, ports[0].MediaType);
    EXPECT_EQ("ISDN1", FromWide(ports[1].wszPortName));
    EXPECT_EQ("", FromWide(ports[1].wszUserName));
    EXPECT_EQ(0u, ports[1].dwStartSessionTime);
    EXPECT_EQ(MEDIA_ISDN, ports[1].MediaType);
    EXPECT_EQ(0u, s_ras->RasAdminFreeBuffer(ports));
    // A block given back twice, or never handed out, is refused.
    EXPECT_EQ(87u, s_ras->RasAdminFreeBuffer(ports));
    int local = 0;
    EXPECT_EQ(87u, s_ras->RasAdminFreeBuffer(&local));
}

TEST_F(RasLibraryTest, ServerNamesWithOrWithoutBackslashesAndAnyCaseReachTheSameComputer)
{
    for (const char* name : {"\\\\RAS1", "RAS1", "\\\\ras1"}) {
        RAS_SERVER_0 info = ServerInfo(name);
        EXPECT_EQ(2, info.TotalPorts) << name;
    }
}

TEST_F(RasLibraryTest, PortInfoReportsEveryLineCondition)
{
    for (DWORD condition = 1; condition <= 7; ++condition) {
        WriteMachineFile("RAS2", "ras.ini",
                         "[COM3]\r\nLineCondition=" + std::to_string(condition) +
                             "\r\nHardwareCondition=3\r\n");
        PortInfo info = GetInfo("\\\\RAS2", "com3"); // port names match without regard to case
        ASSERT_EQ(0u, info.result);
        EXPECT_EQ(condition, info.port.LineCondition);
        EXPECT_EQ(RAS_MODEM_HARDWARE_FAILURE, info.port.HardwareCondition);
        EXPECT_EQ("COM3", FromWide(info.port.rasport0.wszPortName));
    }
}

TEST_F(RasLibraryTest, PortInfoCarriesSessionProjectionsAndCountersInOrder)
{
    PortInfo info = GetInfo("\\\\RAS1", "COM1");
    ASSERT_EQ(0u, info.result);
    const RAS_PORT_1& p = info.port;
    EXPECT_EQ(static_cast<DWORD>(USER_AUTHENTICATED | PPP_CLIENT), p.rasport0.Flags);
    EXPECT_EQ("MKELLER-NB", FromWide(p.rasport0.wszComputer));
    EXPECT_EQ("Fieldline 33.6", FromWide(p.rasport0.wszDeviceName));
    EXPECT_EQ(28800u, p.LineSpeed);
    EXPECT_EQ(0u, p.ProjResult.nbf.dwError);
    EXPECT_STREQ("MKELLER-NB", p.ProjResult.nbf.szName);
    EXPECT_EQ(0u, p.ProjResult.ip.dwError);
    EXPECT_EQ("10.20.0.42", FromWide(p.ProjResult.ip.wszAddress));
    // Protocols the file does not mention count as not negotiated.
    EXPECT_NE(0u, p.ProjResult.ipx.dwError);
    EXPECT_NE(0u, p.ProjResult.at.dwError);
    EXPECT_EQ(RAS_PORT_STATISTICS_COUNT, p.NumStatistics);

    const RAS_PORT_STATISTICS& s = info.stats;
    const DWORD counters[] = {s.dwBytesXmited, s.dwBytesRcved, s.dwFramesXmited, s.dwFramesRcved,
                              s.dwCrcErr, s.dwTimeoutErr, s.dwAlignmentErr, s.dwHardwareOverrunErr,
                              s.dwFramingErr, s.dwBufferOverrunErr, s.dwBytesXmitedUncompressed,
                              s.dwBytesRcvedUncompressed, s.dwBytesXmitedCompressed,
                              s.dwBytesRcvedCompressed};
    EXPECT_EQ(4000000000u, counters[0]); // beyond the signed range
    for (DWORD i = 1; i < RAS_PORT_STATISTICS_COUNT; ++i)
        EXPECT_EQ(i + 1, counters[i]) << "counter " << i;
}

TEST_F(RasLibraryTest, MediaParametersComeInOneFreeableBlock)
{
    RAS_PORT_1 port{};
    RAS_PORT_STATISTICS stats{};
    RAS_PARAMETERS* params = nullptr;
    ASSERT_EQ(0u, s_ras->RasAdminPortGetInfo(u"\\\\RAS1", u"COM1", &port, &stats, &params));
    ASSERT_EQ(2, port.NumMediaParms);
    EXPECT_STREQ("MaxConnectBps", params[0].P_Key);
    EXPECT_EQ(ParamNumber, params[0].P_Type);
    EXPECT_EQ(115200u, params[0].P_Value.Number);
    EXPECT_STREQ("InitString", params[1].P_Key);
    ASSERT_EQ(ParamString, params[1].P_Type);
    EXPECT_EQ("AT&F1", std::string(params[1].P_Value.String.Data, params[1].P_Value.String.Length));
    const char* begin = reinterpret_cast<const char*>(params);
    EXPECT_GE(params[1].P_Value.String.Data, begin);
    EXPECT_LE(params[1].P_Value.String.Data + params[1].P_Value.String.Length,
              begin + port.SizeMediaParms);
    EXPECT_EQ(0u, s_ras->RasAdminFreeBuffer(params));
}

TEST_F(RasLibraryTest, LongNamesAreCutAndTerminated)
{
    WriteMachineFile("RAS2", "ras.ini",
                     "[VERYLONGPORTNAME12345]\r\nLineCondition=6\r\nUser=u\r\n"
                     "LogonDomain=ADOMAINNAMEFARTOOLONG\r\n");
    PortInfo info = GetInfo("RAS2", "VERYLONGPORTNAME12345");
    ASSERT_EQ(0u, info.result);
    EXPECT_EQ("VERYLONGPORTNAM", FromWide(info.port.rasport0.wszPortName));
    EXPECT_EQ("ADOMAINNAMEFART", FromWide(info.port.rasport0.wszLogonDomain));
}

TEST_F(RasLibraryTest, DisconnectEndsTheSessionAndLeavesARequest)
{
    ASSERT_EQ(0u, s_ras->RasAdminPortDisconnect(u"\\\\RAS1", u"COM1"));
    PortInfo info = GetInfo("RAS1", "COM1");
    EXPECT_EQ(static_cast<DWORD>(RAS_PORT_LISTENING), info.port.LineCondition);
    EXPECT_EQ("", FromWide(info.port.rasport0.wszUserName));
    EXPECT_EQ("", FromWide(info.port.rasport0.wszLogonDomain));
    EXPECT_EQ(0u, info.port.rasport0.dwStartSessionTime);
    EXPECT_EQ(0u, info.port.rasport0.Flags & (USER_AUTHENTICATED | PPP_CLIENT));
    EXPECT_NE(0u, info.port.ProjResult.ip.dwError);
    EXPECT_EQ(4000000000u, info.stats.dwBytesXmited); // counters survive a disconnect
    EXPECT_EQ(0, ServerInfo("RAS1").PortsInUse);

    const std::string log = ReadMachineFile("RAS1", "rasrequests.log");
    EXPECT_NE(std::string::npos, log.find("\tDisconnect\tCOM1\tLQ\\mkeller\t1733486400\tMKELLER-NB\n"))
        << log;
    // Disconnecting an idle port succeeds and requests nothing more.
    ASSERT_EQ(0u, s_ras->RasAdminPortDisconnect(u"\\\\RAS1", u"COM1"));
    EXPECT_EQ(log, ReadMachineFile("RAS1", "rasrequests.log"));
    // The other port and the rest of the file are untouched.
    EXPECT_EQ(64000u, GetInfo("RAS1", "ISDN1").port.LineSpeed);
}

TEST_F(RasLibraryTest, ClearStatisticsZeroesOnlyTheCounters)
{
    ASSERT_EQ(0u, s_ras->RasAdminPortClearStatistics(u"\\\\RAS1", u"COM1"));
    PortInfo info = GetInfo("RAS1", "COM1");
    const DWORD* counters = &info.stats.dwBytesXmited;
    for (int i = 0; i < RAS_PORT_STATISTICS_COUNT; ++i)
        EXPECT_EQ(0u, counters[i]) << "counter " << i;
    EXPECT_EQ("mkeller", FromWide(info.port.rasport0.wszUserName));
    EXPECT_EQ(static_cast<DWORD>(RAS_PORT_AUTHENTICATED), info.port.LineCondition);
}

TEST_F(RasLibraryTest, ServerInfoCountsPortsThatAreCallingBackAuthenticatingOrInSession)
{
    WriteMachineFile("RAS2", "ras.ini",
                     "[P1]\r\nLineCondition=1\r\n[P2]\r\nLineCondition=2\r\n[P3]\r\n"
                     "LineCondition=3\r\n[P4]\r\nLineCondition=4\r\n[P5]\r\nLineCondition=5\r\n"
                     "[P6]\r\nLineCondition=6\r\n[P7]\r\nLineCondition=7\r\n");
    RAS_SERVER_0 info = ServerInfo("\\\\RAS2");
    EXPECT_EQ(7, info.TotalPorts);
    EXPECT_EQ(3, info.PortsInUse);
    EXPECT_EQ(static_cast<DWORD>(RASADMIN_CURRENT), info.RasVersion);
}

TEST_F(RasLibraryTest, UserPermissionReadsAndWritesTheAccountDatabase)
{
    WriteMachineFile("DC1", "accounts.ini",
                     "[Accounts]\r\nDomain=LQ\r\n[User:mkeller]\r\nRasPrivilege=10\r\n"
                     "CallbackNumber=040 5512 3344\r\n[User:tbauer]\r\n");
    RAS_USER_0 user{};
    ASSERT_EQ(0u, s_ras->RasAdminUserGetInfo(u"\\\\DC1", u"MKeller", &user));
    EXPECT_EQ(RASPRIV_DialinPrivilege | RASPRIV_AdminSetCallback, user.bfPrivilege);
    EXPECT_EQ("040 5512 3344", FromWide(user.szPhoneNumber));
    // An account never given a RAS permission may not dial in.
    ASSERT_EQ(0u, s_ras->RasAdminUserGetInfo(u"DC1", u"tbauer", &user));
    EXPECT_EQ(RASPRIV_NoCallback, user.bfPrivilege);
    EXPECT_EQ("", FromWide(user.szPhoneNumber));

    RAS_USER_0 change{};
    change.bfPrivilege = RASPRIV_DialinPrivilege | RASPRIV_CallerSetCallback;
    CopyToWideField(change.szPhoneNumber, RASSAPI_MAX_PHONENUMBER_SIZE + 1, "");
    ASSERT_EQ(0u, s_ras->RasAdminUserSetInfo(u"\\\\DC1", u"LQ\\tbauer", &change));
    ASSERT_EQ(0u, s_ras->RasAdminUserGetInfo(u"\\\\DC1", u"tbauer", &user));
    EXPECT_EQ(12, user.bfPrivilege);
    // The other account is left alone.
    ASSERT_EQ(0u, s_ras->RasAdminUserGetInfo(u"\\\\DC1", u"mkeller", &user));
    EXPECT_EQ("040 5512 3344", FromWide(user.szPhoneNumber));
}

TEST_F(RasLibraryTest, SetInfoReadsAnUnterminatedNumberOnlyUpToItsField)
{
    WriteMachineFile("DC1", "accounts.ini", "[User:a]\r\n");
    RAS_USER_0 change{};
    change.bfPrivilege = 10;
    for (auto& c : change.szPhoneNumber)
        c = u'7';
    ASSERT_EQ(0u, s_ras->RasAdminUserSetInfo(u"DC1", u"a", &change));
    RAS_USER_0 user{};
    ASSERT_EQ(0u, s_ras->RasAdminUserGetInfo(u"DC1", u"a", &user));
    EXPECT_EQ(std::string(RASSAPI_MAX_PHONENUMBER_SIZE, '7'), FromWide(user.szPhoneNumber));
}

TEST_F(RasLibraryTest, FailuresGiveThePlatformsErrorNumbers)
{
    Machine("NORAS");
    WriteMachineFile("DOWN", "ras.ini", kTwoPorts);
    WriteMachineFile("DOWN", "machine.ini", "[Machine]\r\nReachable=0\r\n");
    WriteMachineFile("STOPPED", "ras.ini", kTwoPorts);
    WriteMachineFile("STOPPED", "services.ini", "[Services]\r\nRemoteAccess=1\r\n");
    RAS_PORT_0* ports = nullptr;
    WORD count = 0;
    EXPECT_EQ(53u, s_ras->RasAdminPortEnum(u"\\\\NOWHERE", &ports, &count));
    EXPECT_EQ(53u, s_ras->RasAdminPortEnum(u"\\\\DOWN", &ports, &count));
    EXPECT_EQ(1060u, s_ras->RasAdminPortEnum(u"\\\\NORAS", &ports, &count));
    EXPECT_EQ(1722u, s_ras->RasAdminPortEnum(u"\\\\STOPPED", &ports, &count));
    EXPECT_EQ(nullptr, ports);
    EXPECT_EQ(0, count);

    RAS_PORT_1 port{};
    RAS_PORT_STATISTICS stats{};
    RAS_PARAMETERS* params = nullptr;
    EXPECT_EQ(615u, s_ras->RasAdminPortGetInfo(u"RAS1", u"COM9", &port, &stats, &params));
    EXPECT_EQ(nullptr, params);
    EXPECT_EQ(53u, s_ras->RasAdminPortGetInfo(u"DOWN", u"COM1", &port, &stats, &params));
    EXPECT_EQ(615u, s_ras->RasAdminPortDisconnect(u"RAS1", u"COM9"));
    EXPECT_EQ(1060u, s_ras->RasAdminPortClearStatistics(u"NORAS", u"COM1"));
    EXPECT_EQ(53u, s_ras->RasAdminPortDisconnect(u"DOWN", u"COM1"));
    ServerInfo("NORAS", 1060);

    RAS_USER_0 user{};
    WriteMachineFile("DC1", "accounts.ini", "[User:a]\r\n");
    EXPECT_EQ(2221u, s_ras->RasAdminUserGetInfo(u"DC1", u"nobody", &user));
    EXPECT_EQ(2221u, s_ras->RasAdminUserSetInfo(u"DC1", u"nobody", &user));
    EXPECT_EQ(53u, s_ras->RasAdminUserGetInfo(u"\\\\DOWN", u"a", &user));
    EXPECT_EQ(87u, s_ras->RasAdminUserGetInfo(u"DC1", nullptr, &user));
    EXPECT_EQ(87u, s_ras->RasAdminPortEnum(u"RAS1", nullptr, &count));
    EXPECT_EQ(87u, s_ras->RasAdminServerGetInfo(u"RAS1", nullptr));
}

TEST_F(RasLibraryTest, ErrorStringsFitTheCallersBufferOrSaySo)
{
    WCHAR text[128] = {};
    ASSERT_EQ(0u, s_ras->RasAdminGetErrorString(615, text, 128));
    EXPECT_EQ("The port was not found.", FromWide(text));
    WCHAR small[5] = {};
    EXPECT_EQ(122u, s_ras->RasAdminGetErrorString(615, small, 5));
    EXPECT_EQ(87u, s_ras->RasAdminGetErrorString(99999, text, 128));
    EXPECT_EQ(87u, s_ras->RasAdminGetErrorString(615, nullptr, 128));
}

} // namespace

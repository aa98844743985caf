// LiveGlance: busy ports counted per monitored server through the RAS library.

#include "setup/liveglance/liveglancewindow.h"
#include "tests/setup/setupfixture.h"

#include <QApplication>
#include <QTableWidget>
#include <QTimer>

#include <cstdlib>
#include <cstring>

using namespace dm;
using dm::test::SetupFixture;

namespace {

// A library that knows two servers: CENTRAL with three ports of which two
// are busy (one authenticated, one with a session time), BRANCH unreachable.
DWORD PortEnum(const WCHAR* server, RAS_PORT_0** ports, WORD* count)
{
    if (std::u16string(server) != u"\\\\CENTRAL")
        return 53;
    auto* table = static_cast<RAS_PORT_0*>(std::calloc(3, sizeof(RAS_PORT_0)));
    table[0].Flags = USER_AUTHENTICATED;
    table[1].dwStartSessionTime = 881280000;
    *ports = table;
    *count = 3;
    return 0;
}
int g_freed = 0;
DWORD FreeBuffer(void* p)
{
    ++g_freed;
    std::free(p);
    return 0;
}

class LiveGlanceTest : public SetupFixture {
protected:
    void SetUp() override
    {
        SetupFixture::SetUp();
        m_ras.RasAdminPortEnum = &PortEnum;
        m_ras.RasAdminFreeBuffer = &FreeBuffer;
        g_freed = 0;
    }
    RasAdminFunctions m_ras;
};

} // namespace

TEST_F(LiveGlanceTest, CountsBusyPortsPerServer)
{
    const auto glances = GlanceAtServers(m_ras, {"\\\\central", "BRANCH"});
    ASSERT_EQ(glances.size(), 2u);
    EXPECT_EQ(glances[0].server, "CENTRAL");
    EXPECT_EQ(glances[0].ports, 3);
    EXPECT_EQ(glances[0].busy, 2);
    EXPECT_EQ(glances[0].error, 0u);
    EXPECT_EQ(glances[1].error, 53u);
    EXPECT_EQ(g_freed, 1);

    RasAdminFunctions unbound;
    EXPECT_EQ(GlanceAtServers(unbound, {"CENTRAL"})[0].error, 127u);
}

TEST_F(LiveGlanceTest, ServersComeFromTheManagersList)
{
    EXPECT_EQ(MonitoredServers(), std::vector<std::string>{"TESTHOST"});
    SetRegString("TESTHOST", "Software\\Osterhall Software\\Dialminder\\Servers\\CENTRAL", "x", "1");
    SetRegString("TESTHOST", "Software\\Osterhall Software\\Dialminder\\Servers\\BRANCH", "x", "1");
    EXPECT_EQ(MonitoredServers(), (std::vector<std::string>{"CENTRAL", "BRANCH"}));

    CLiveGlanceWindow window(m_ras);
    EXPECT_EQ(window.Timer()->interval(), 5000);
    ASSERT_EQ(window.Table()->rowCount(), 2);
    EXPECT_EQ(window.Table()->item(0, 1)->text(), "2 of 3");
    // An offline server in words, as the manager's ports list says it.
    EXPECT_EQ(window.Table()->item(1, 1)->text(), "(not reachable)");
}

DWORD ErrorString(UINT code, WCHAR* text, DWORD capacity)
{
    const std::u16string known = code == 617 ? u"The port is disconnected." : u"";
    if (known.empty() || known.size() + 1 > capacity)
        return 87;
    std::copy(known.begin(), known.end(), text);
    text[known.size()] = 0;
    return 0;
}

TEST_F(LiveGlanceTest, ErrorsAreWordsFromTheLibraryOrTheNetwork)
{
    ServerGlance glance;
    glance.busy = 1;
    glance.ports = 4;
    EXPECT_EQ(GlanceText(glance, m_ras), "1 of 4");
    glance.error = 53;
    EXPECT_EQ(GlanceText(glance, m_ras), "(not reachable)");
    glance.error = 617;
    EXPECT_EQ(GlanceText(glance, m_ras), "error 617");
    m_ras.RasAdminGetErrorString = &ErrorString;
    EXPECT_EQ(GlanceText(glance, m_ras), "The port is disconnected.");
    glance.error = 127;
    EXPECT_EQ(GlanceText(glance, RasAdminFunctions()), "the RAS administration library cannot be used");
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

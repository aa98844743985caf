#include "tests/manager/ui_fixture.h"

#include "manager/ui/tree/dmview.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/files/network.h"
#include "platform/accounts/networkdirectory.h"
#include "platform/ras/rasportstore.h"

namespace dm::test {

void UiFixture::TearDown()
{
    m_frame.reset();
    m_doc.reset();
    m_qtui.reset();
    CoreFixture::TearDown();
}

void UiFixture::AddRasServer(const std::string& name, const std::vector<std::string>& ports, bool master)
{
    AddServer(name, master, master ? DatabaseDir() : std::string());
    MonitorServer(name);
    for (const std::string& port : ports) {
        RasPortRecord record;
        record.name = port;
        record.deviceType = "Modem";
        record.deviceName = "Fieldline V.34 " + port;
        record.mediaName = "rasser";
        record.lineSpeed = 33600;
        SavePort(name, record);
    }
}

void UiFixture::SavePort(const std::string& server, const RasPortRecord& record)
{
    ASSERT_EQ(RasPortStore(server).SavePort(record), 0u);
}

void UiFixture::StartSession(const std::string& server, const std::string& port, const std::string& user,
                             std::uint32_t start, const std::string& computer)
{
    RasSession session;
    session.user = user;
    session.logonDomain = "OSTERHALL";
    session.computer = computer;
    session.start = start;
    session.ipAddress = "10.1.2.3";
    ASSERT_EQ(RasPortStore(server).StartSession(port, session), 0u);
}

void UiFixture::EndSession(const std::string& server, const std::string& port)
{
    ASSERT_EQ(RasPortStore(server).EndSession(port), 0u);
}

void UiFixture::AddDomain(const std::string& domain, const std::string& controller,
                          const std::vector<std::pair<std::string, std::uint8_t>>& users,
                          const std::vector<std::string>& groups)
{
    Network::AddComputer(controller);
    ASSERT_TRUE(NetworkDirectory::AddDomain(domain, controller, NetworkDirectory::kWindowsProvider, ""));
    std::vector<UserAccount> accounts;
    for (const auto& [name, privilege] : users) {
        UserAccount account;
        account.name = name;
        account.rasPrivilege = privilege;
        accounts.push_back(account);
    }
    std::vector<GroupAccount> globals;
    for (const std::string& group : groups)
        globals.push_back({group, "", {}});
    AccountDatabase database(controller);
    ASSERT_EQ(database.Store(accounts, globals, {}), 0u);
    ASSERT_EQ(database.SetDomainName(domain), 0u);
}

void UiFixture::OpenManager(ManagerExtensions extensions)
{
    m_qtui = std::make_unique<QtUserInteraction>();
    m_doc = std::make_unique<CDMDoc>(m_ui);
    m_frame = std::make_unique<CMainFrame>(*m_doc, *m_qtui, std::move(extensions));
    m_doc->SetFrame(m_frame.get());
    m_doc->OnNewDocument();
    m_doc->SetIntroDrawn();
}

} // namespace dm::test

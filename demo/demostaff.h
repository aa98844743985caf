#pragma once
// The people of the demo company and their accounts: who works where, which
// groups they are in, and what their RAS permission allows.

#include "platform/accounts/accountdatabase.h"
#include "demo/demorandom.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dm {

struct DemoPerson {
    std::string domain;     // "LQHQ"
    std::string account;    // "mkeller"
    std::string fullName;
    std::string department; // the global group of the department
    std::uint8_t rights = 1;
    std::string callback;
    bool CanDialIn() const { return (rights & 8) != 0; }
    std::string Key() const { return domain + "\\" + account; }
};

struct DemoDomainAccounts {
    std::string domain;
    std::vector<UserAccount> users;
    std::vector<GroupAccount> globalGroups;
    std::vector<GroupAccount> localGroups;
};

class DemoStaff {
public:
    // The head office and field domains with their people, drawn from seed.
    DemoStaff(const std::string& headOffice, const std::string& field, DemoRandom& random);

    const std::vector<DemoPerson>& People() const { return m_people; }
    // The account databases of the two controllers.
    const std::vector<DemoDomainAccounts>& Domains() const { return m_domains; }

private:
    void AddPeople(const std::string& domain, const std::vector<std::pair<std::string, int>>& departments,
                   const std::string& areaCode, DemoRandom& random);
    DemoDomainAccounts BuildDomain(const std::string& domain, const std::string& comment) const;

    std::vector<DemoPerson> m_people;
    std::vector<DemoDomainAccounts> m_domains;
};

} // namespace dm

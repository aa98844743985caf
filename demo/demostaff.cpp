#include "demo/demostaff.h"

#include "common/text.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace dm {

namespace {

const std::vector<std::string> kFirstNames = {
    "Anna",   "Bernd",  "Clara",  "Dieter", "Elena",  "Frank",  "Greta",  "Hannes",
    "Ines",   "Jonas",  "Karin",  "Lars",   "Maria",  "Nils",   "Olga",   "Peter",
    "Rita",   "Sven",   "Tanja",  "Uwe",    "Vera",   "Wolfgang", "Yvonne", "Kai",
    "Lena",   "Moritz", "Petra",  "Stefan", "Tobias", "Ulrike"};

const std::vector<std::string> kLastNames = {
    "Keller",  "Bauer",   "Hansen",  "Lorenz",   "Petersen", "Vogel",   "Brandt",  "Jensen",
    "Albers",  "Krause",  "Martens", "Nowak",    "Ostrowski", "Richter", "Schulte", "Thiele",
    "Engel",   "Fischer", "Grote",   "Hoffmann", "Iversen",  "Janssen", "Kuhn",    "Lindemann",
    "Meyer",   "Nielsen", "Paulsen", "Quast",    "Seidel",   "Winter"};

// RAS permissions a department's people are likely to have.
std::vector<int> RightsOf(const std::string& department)
{
    if (department == "Sales")
        return {9, 9, 9, 12};
    if (department == "Dispatch")
        return {1, 1, 1, 9};
    if (department == "Accounting")
        return {1, 1, 10};
    if (department == "IT")
        return {12, 9};
    if (department == "Management")
        return {10, 10, 9};
    if (department == "Field Sales")
        return {9, 9, 12, 10};
    return {9, 12, 12, 1}; // service technicians
}

std::string PhoneNumber(const std::string& areaCode, DemoRandom& random)
{
    return areaCode + " " + std::to_string(random.Between(2000, 9899)) + " " +
           std::to_string(random.Between(1000, 9999));
}

} // namespace

DemoStaff::DemoStaff(const std::string& headOffice, const std::string& field, DemoRandom& random)
{
    AddPeople(headOffice, {{"Sales", 6}, {"Dispatch", 5}, {"Accounting", 3}, {"IT", 2}, {"Management", 3}},
              "040", random);
    AddPeople(field, {{"Field Sales", 6}, {"Service Technicians", 4}}, "089", random);
    m_domains.push_back(BuildDomain(headOffice, "Head office"));
    m_domains.push_back(BuildDomain(field, "Field offices"));
}

void DemoStaff::AddPeople(const std::string& domain,
                          const std::vector<std::pair<std::string, int>>& departments,
                          const std::string& areaCode, DemoRandom& random)
{
    std::set<std::string> taken;
    for (const auto& p : m_people)
        taken.insert(p.fullName);
    for (const auto& [department, count] : departments) {
        for (int i = 0; i < count; ++i) {
            DemoPerson person;
            do {
                person.fullName = random.Pick(kFirstNames) + " " + random.Pick(kLastNames);
            } while (!taken.insert(person.fullName).second);
            const auto blank = person.fullName.find(' ');
            person.account = LowerAscii(person.fullName.substr(0, 1) + person.fullName.substr(blank + 1));
            for (int n = 2; std::any_of(m_people.begin(), m_people.end(), [&](const DemoPerson& p) {
                     return p.domain == domain && p.account == person.account;
                 });
                 ++n)
                person.account = LowerAscii(person.fullName.substr(0, 1) + person.fullName.substr(blank + 1)) +
                                 std::to_string(n);
            person.domain = domain;
            person.department = department;
            person.rights = static_cast<std::uint8_t>(random.Pick(RightsOf(department)));
            if ((person.rights & 2) != 0)
                person.callback = PhoneNumber(areaCode, random);
            m_people.push_back(std::move(person));
        }
    }
}

DemoDomainAccounts DemoStaff::BuildDomain(const std::string& domain, const std::string& comment) const
{
    DemoDomainAccounts d;
    d.domain = domain;
    UserAccount admin;
    admin.name = "Administrator";
    admin.comment = "Built-in account for administering the domain";
    admin.rasPrivilege = 9;
    d.users.push_back(admin);

    GroupAccount users{"Domain Users", "All domain users", {"Administrator"}};
    GroupAccount admins{"Domain Admins", "Designated administrators of the domain", {"Administrator"}};
    std::vector<GroupAccount> departments;
    for (const auto& p : m_people) {
        if (p.domain != domain)
            continue;
        UserAccount u;
        u.name = p.account;
        u.fullName = p.fullName;
        u.comment = p.department + ", " + comment;
        u.rasPrivilege = p.rights;
        u.callbackNumber = p.callback;
        d.users.push_back(u);
        users.members.push_back(p.account);
        if (p.department == "IT")
            admins.members.push_back(p.account);
        auto group = std::find_if(departments.begin(), departments.end(),
                                  [&](const GroupAccount& g) { return g.name == p.department; });
        if (group == departments.end())
            departments.push_back({p.department, p.department + " staff", {p.account}});
        else
            group->members.push_back(p.account);
    }
    UserAccount guest;
    guest.name = "Guest";
    guest.comment = "Built-in account for guest access";
    guest.disabled = true;
    d.users.push_back(guest);
    // Accounts a listing of people must leave out or mark.
    UserAccount temp;
    temp.name = "contractor";
    temp.fullName = "Temporary contractor";
    temp.type = AccountType::TempDuplicate;
    temp.rasPrivilege = 9;
    d.users.push_back(temp);
    for (int i = 1; i <= 3; ++i) {
        UserAccount machine;
        machine.name = domain.substr(domain.size() > 2 ? 2 : 0) + "WS0" + std::to_string(i) + "$";
        machine.type = AccountType::Workstation;
        d.users.push_back(machine);
    }

    d.globalGroups.push_back(admins);
    d.globalGroups.push_back(users);
    d.globalGroups.push_back({"Domain Guests", "All domain guests", {"Guest"}});
    for (auto& g : departments)
        d.globalGroups.push_back(std::move(g));

    d.localGroups.push_back({"Administrators", "Members can fully administer the computer/domain",
                             {"Administrator", domain + "\\Domain Admins"}});
    d.localGroups.push_back({"Users", "Ordinary users", {domain + "\\Domain Users"}});
    d.localGroups.push_back({"Guests", "Users granted guest access", {domain + "\\Domain Guests"}});
    d.localGroups.push_back({"Backup Operators", "Members can back up and restore files", {}});
    std::vector<std::string> dialIn;
    for (const auto& g : d.globalGroups)
        if (g.name == "Sales" || g.name == "Management" || g.name == "Field Sales" ||
            g.name == "Service Technicians")
            dialIn.push_back(domain + "\\" + g.name);
    d.localGroups.push_back({"Dial-in Users", "Members may use the dial-in servers", dialIn});
    return d;
}

} // namespace dm

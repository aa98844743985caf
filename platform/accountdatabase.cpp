#include "platform/accountdatabase.h"

#include "common/inistore.h"
#include "platform/filesnapshot.h"
#include "platform/network.h"
#include "platform/profile.h"
#include "platform/rasportrecord.h"

#include <algorithm>
#include <cctype>

namespace dm {

namespace {

constexpr std::string_view kUserPrefix = "User:";
constexpr std::string_view kGroupPrefix = "Group:";
constexpr std::string_view kLocalGroupPrefix = "LocalGroup:";

bool SameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

bool HasPrefix(std::string_view text, std::string_view prefix)
{
    return text.size() > prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

std::string Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> SplitMembers(std::string_view text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto comma = text.find(',', start);
        if (comma == std::string_view::npos)
            comma = text.size();
        std::string item = Trim(text.substr(start, comma - start));
        if (!item.empty())
            out.push_back(std::move(item));
        start = comma + 1;
    }
    return out;
}

std::string JoinMembers(const std::vector<std::string>& members)
{
    std::string out;
    for (const auto& m : members) {
        if (!out.empty())
            out += ',';
        out += m;
    }
    return out;
}

std::string ValueOf(const std::vector<std::pair<std::string, std::string>>& pairs,
                    std::string_view key, std::string fallback = {})
{
    for (const auto& [k, v] : pairs)
        if (SameName(k, key))
            return v;
    return fallback;
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

template <typename T>
const T* FindByName(const std::vector<T>& items, const std::unordered_map<std::string, std::size_t>& index,
                    std::string_view name)
{
    auto it = index.find(Lower(name));
    return it == index.end() ? nullptr : &items[it->second];
}

// Adds the item unless one of its name is there already (the first counts).
template <typename T>
void AddOnce(std::vector<T>& items, std::unordered_map<std::string, std::size_t>& index, T item)
{
    if (index.emplace(Lower(item.name), items.size()).second)
        items.push_back(std::move(item));
}

std::shared_ptr<const AccountDatabase::Contents> EmptyContents()
{
    static const auto empty = std::make_shared<const AccountDatabase::Contents>();
    return empty;
}

std::shared_ptr<const AccountDatabase::Contents> ReadContents(const std::filesystem::path& path)
{
    auto contents = std::make_shared<AccountDatabase::Contents>();
    const auto ini = LoadIniFile(path);
    if (!ini)
        return contents;
    AccountDatabase::Contents& c = *contents;
    if (auto domain = ini->Value("Accounts", "Domain"))
        c.domain = std::string(*domain);
    for (const auto& section : ini->SectionNames()) {
        if (HasPrefix(section, kUserPrefix)) {
            const auto pairs = ini->Entries(section);
            UserAccount u;
            u.name = section.substr(kUserPrefix.size());
            u.fullName = ValueOf(pairs, "FullName");
            u.comment = ValueOf(pairs, "Comment");
            u.type = AccountDatabase::ParseType(ValueOf(pairs, "Type"));
            u.disabled = ParseUnsigned(ValueOf(pairs, "Disabled")) != 0;
            u.rid = ParseUnsigned(ValueOf(pairs, "Rid"));
            if (u.rid == 0)
                u.rid = 1000 + static_cast<std::uint32_t>(c.users.size());
            u.rasPrivilege = static_cast<std::uint8_t>(ParseUnsigned(ValueOf(pairs, "RasPrivilege", "1")));
            u.callbackNumber = ValueOf(pairs, "CallbackNumber");
            AddOnce(c.users, c.userIndex, std::move(u));
        } else if (HasPrefix(section, kGroupPrefix) || HasPrefix(section, kLocalGroupPrefix)) {
            const bool local = HasPrefix(section, kLocalGroupPrefix);
            const auto pairs = ini->Entries(section);
            GroupAccount g;
            g.name = section.substr(local ? kLocalGroupPrefix.size() : kGroupPrefix.size());
            g.comment = ValueOf(pairs, "Comment");
            g.members = SplitMembers(ValueOf(pairs, "Members"));
            if (local)
                AddOnce(c.localGroups, c.localIndex, std::move(g));
            else
                AddOnce(c.globalGroups, c.globalIndex, std::move(g));
        }
    }
    return contents;
}

FileSnapshotCache<AccountDatabase::Contents>& ContentsCache()
{
    static FileSnapshotCache<AccountDatabase::Contents> cache;
    return cache;
}

void WriteUser(ProfileBatch& batch, const UserAccount& u)
{
    const std::string section = std::string(kUserPrefix) + u.name;
    batch.Write(section, "FullName", u.fullName);
    batch.Write(section, "Comment", u.comment);
    batch.Write(section, "Type", AccountDatabase::TypeName(u.type));
    batch.Write(section, "Disabled", u.disabled ? "1" : "0");
    if (u.rid != 0)
        batch.Write(section, "Rid", std::to_string(u.rid));
    batch.Write(section, "RasPrivilege", std::to_string(u.rasPrivilege));
    batch.Write(section, "CallbackNumber", u.callbackNumber);
}

void WriteGroup(ProfileBatch& batch, std::string_view prefix, const GroupAccount& g)
{
    const std::string section = std::string(prefix) + g.name;
    batch.Write(section, "Comment", g.comment);
    batch.Write(section, "Members", JoinMembers(g.members));
}

bool ValidName(std::string_view name)
{
    return !name.empty() && name.find_first_of("[]\r\n,\\=") == std::string_view::npos;
}

} // namespace

AccountDatabase::AccountDatabase(std::string_view computer)
    : m_computer(computer), m_data(EmptyContents())
{
}

std::string AccountDatabase::IniPath() const
{
    auto dir = Network::ComputerDir(m_computer);
    return dir ? (*dir / "accounts.ini").string() : std::string();
}

unsigned long AccountDatabase::Reachable() const { return Network::CheckReachable(m_computer); }

unsigned long AccountDatabase::Load()
{
    m_data = EmptyContents();
    if (unsigned long error = Reachable())
        return error;
    const std::filesystem::path file = IniPath();
    m_data = ContentsCache().Get(file, [&] { return ReadContents(file); });
    return winerr::Success;
}

const UserAccount* AccountDatabase::FindUser(std::string_view name) const
{
    return FindByName(m_data->users, m_data->userIndex, name);
}

const GroupAccount* AccountDatabase::FindGlobalGroup(std::string_view name) const
{
    return FindByName(m_data->globalGroups, m_data->globalIndex, name);
}

const GroupAccount* AccountDatabase::FindLocalGroup(std::string_view name) const
{
    return FindByName(m_data->localGroups, m_data->localIndex, name);
}

unsigned long AccountDatabase::SetRasPermission(std::string_view user, std::uint8_t privilege,
                                                std::string_view callbackNumber)
{
    if (unsigned long error = Load())
        return error;
    const UserAccount* u = FindUser(user);
    if (u == nullptr)
        return winerr::NerrUserNotFound;
    ProfileBatch batch(IniPath());
    const std::string section = std::string(kUserPrefix) + u->name;
    batch.Write(section, "RasPrivilege", std::to_string(privilege));
    batch.Write(section, "CallbackNumber", callbackNumber);
    return batch.Commit() ? winerr::Success : winerr::AccessDenied;
}

unsigned long AccountDatabase::Store(const std::vector<UserAccount>& users,
                                     const std::vector<GroupAccount>& globalGroups,
                                     const std::vector<GroupAccount>& localGroups,
                                     std::string_view domain)
{
    if (unsigned long error = Reachable())
        return error;
    ProfileBatch batch(IniPath());
    if (!domain.empty())
        batch.Write("Accounts", "Domain", domain);
    for (const auto& u : users) {
        if (!ValidName(u.name))
            return winerr::InvalidParameter;
        WriteUser(batch, u);
    }
    for (const auto& g : globalGroups) {
        if (!ValidName(g.name))
            return winerr::InvalidParameter;
        WriteGroup(batch, kGroupPrefix, g);
    }
    for (const auto& g : localGroups) {
        if (!ValidName(g.name))
            return winerr::InvalidParameter;
        WriteGroup(batch, kLocalGroupPrefix, g);
    }
    if (batch.Size() == 0)
        return winerr::Success;
    return batch.Commit() ? winerr::Success : winerr::AccessDenied;
}

unsigned long AccountDatabase::SetDomainName(std::string_view domain)
{
    if (unsigned long error = Reachable())
        return error;
    return WritePrivateProfileString("Accounts", "Domain", domain, IniPath()) ? winerr::Success
                                                                              : winerr::AccessDenied;
}

unsigned long AccountDatabase::AddMember(std::string_view group, std::string_view member,
                                         bool local)
{
    if (unsigned long error = Load())
        return error;
    if (!ValidName(group) || member.empty() || member.find_first_of(",[]\r\n") != std::string_view::npos)
        return winerr::InvalidParameter;
    const bool qualified = member.find('\\') != std::string_view::npos;
    if (!(local && qualified) && FindUser(member) == nullptr)
        return winerr::NerrUserNotFound;
    GroupAccount g;
    if (const GroupAccount* existing = local ? FindLocalGroup(group) : FindGlobalGroup(group))
        g = *existing;
    else
        g.name = std::string(group);
    const bool present = std::any_of(g.members.begin(), g.members.end(),
                                     [&](const std::string& m) { return SameName(m, member); });
    if (present)
        return winerr::Success;
    g.members.emplace_back(member);
    if (local)
        return Store({}, {}, {g});
    return Store({}, {g}, {});
}

std::string AccountDatabase::TypeName(AccountType type)
{
    switch (type) {
    case AccountType::Normal: return "Normal";
    case AccountType::TempDuplicate: return "TempDuplicate";
    case AccountType::Workstation: return "Workstation";
    case AccountType::Server: return "Server";
    case AccountType::InterdomainTrust: return "InterdomainTrust";
    }
    return "Normal";
}

AccountType AccountDatabase::ParseType(std::string_view text)
{
    for (AccountType t : {AccountType::TempDuplicate, AccountType::Workstation, AccountType::Server,
                          AccountType::InterdomainTrust})
        if (SameName(text, TypeName(t)))
            return t;
    return AccountType::Normal;
}

} // namespace dm

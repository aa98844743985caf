#include "platform/accounts/accountdatabase.h"

#include "common/iniparser.h"
#include "common/inifile.h"
#include "common/inistore.h"
#include "common/text.h"
#include "platform/files/filesnapshot.h"
#include "platform/files/fileopen.h"
#include "platform/files/network.h"
#include "platform/files/profile.h"
#include "platform/ras/rasportrecord.h"

#include <algorithm>
#include <cctype>
#include <span>

namespace dm {

namespace {

constexpr std::string_view kUserPrefix = "User:";
constexpr std::string_view kGroupPrefix = "Group:";
constexpr std::string_view kLocalGroupPrefix = "LocalGroup:";

// Account and key names compare without regard to ASCII case, as profile
// files do.
bool HasPrefix(std::string_view text, std::string_view prefix)
{
    return text.size() > prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

template <typename T>
const T* FindByName(const std::vector<T>& items, const std::unordered_map<std::string, std::size_t>& index,
                    std::string_view name)
{
    auto it = index.find(LowerAscii(name));
    return it == index.end() ? nullptr : &items[it->second];
}

// Adds the item unless one of its name is there already (the first counts).
template <typename T>
void AddOnce(std::vector<T>& items, std::unordered_map<std::string, std::size_t>& index, T item)
{
    if (index.emplace(LowerAscii(item.name), items.size()).second)
        items.push_back(std::move(item));
}

std::shared_ptr<const AccountDatabase::Contents> EmptyContents()
{
    static const auto empty = std::make_shared<const AccountDatabase::Contents>();
    return empty;
}

// Reads accounts.ini in one pass straight into the contents, without the
// editable copy of the file a profile read builds: a file of 100,000
// accounts changed by another program is read again at once. As in every
// profile file, the first section of a name counts, and in it the first key
// of a name.
class ContentsReader : public IniHandler {
public:
    explicit ContentsReader(AccountDatabase::Contents& contents) : m_c(contents) {}

    bool OnSection(std::string_view name, const IniLine&) override
    {
        Finish();
        m_seen = 0;
        if (EqualNoCase(name, "Accounts")) {
            m_kind = m_accountsSeen ? Kind::Skip : Kind::Accounts;
            m_accountsSeen = true;
        } else if (HasPrefix(name, kUserPrefix)) {
            m_kind = Kind::User;
            m_user = UserAccount{};
            m_user.name = std::string(name.substr(kUserPrefix.size()));
            m_user.type = AccountDatabase::ParseType("");
            m_user.rasPrivilege = 1;
        } else if (HasPrefix(name, kGroupPrefix) || HasPrefix(name, kLocalGroupPrefix)) {
            const bool local = HasPrefix(name, kLocalGroupPrefix);
            m_kind = local ? Kind::LocalGroup : Kind::Group;
            m_group = GroupAccount{};
            const std::size_t prefix = local ? kLocalGroupPrefix.size() : kGroupPrefix.size();
            m_group.name = std::string(name.substr(prefix));
        } else {
            m_kind = Kind::Skip;
        }
        return true;
    }

    bool OnKey(std::string_view key, std::string_view value, const IniLine&) override
    {
        static constexpr std::string_view kUserKeys[] = {"FullName", "Comment", "Type", "Disabled",
                                                         "Rid", "RasPrivilege", "CallbackNumber"};
        static constexpr std::string_view kGroupKeys[] = {"Comment", "Members"};
        static constexpr std::string_view kAccountsKeys[] = {"Domain"};
        switch (m_kind) {
        case Kind::Accounts:
            if (TakeFirst(key, kAccountsKeys) == 0)
                m_c.domain = std::string(value);
            break;
        case Kind::User:
            switch (TakeFirst(key, kUserKeys)) {
            case 0: m_user.fullName = std::string(value); break;
            case 1: m_user.comment = std::string(value); break;
            case 2: m_user.type = AccountDatabase::ParseType(value); break;
            case 3: m_user.disabled = ParseUnsigned(std::string(value)) != 0; break;
            case 4: m_user.rid = ParseUnsigned(std::string(value)); break;
            case 5:
                m_user.rasPrivilege = static_cast<std::uint8_t>(ParseUnsigned(std::string(value)));
                break;
            case 6: m_user.callbackNumber = std::string(value); break;
            default: break;
            }
            break;
        case Kind::Group:
        case Kind::LocalGroup:
            switch (TakeFirst(key, kGroupKeys)) {
            case 0: m_group.comment = std::string(value); break;
            case 1: m_group.members = SplitList(value); break;
            default: break;
            }
            break;
        case Kind::None:
        case Kind::Skip: break;
        }
        return true;
    }

    // Adds the account of the section being read (call once at the end).
    void Finish()
    {
        if (m_kind == Kind::User) {
            if (m_user.rid == 0)
                m_user.rid = 1000 + static_cast<std::uint32_t>(m_c.users.size());
            AddOnce(m_c.users, m_c.userIndex, std::move(m_user));
        } else if (m_kind == Kind::Group) {
            AddOnce(m_c.globalGroups, m_c.globalIndex, std::move(m_group));
        } else if (m_kind == Kind::LocalGroup) {
            AddOnce(m_c.localGroups, m_c.localIndex, std::move(m_group));
        }
        m_kind = Kind::None;
    }

private:
    enum class Kind { None, Skip, Accounts, User, Group, LocalGroup };

    // The position of key among names when it is the section's first key of
    // that name; -1 for any other key.
    int TakeFirst(std::string_view key, std::span<const std::string_view> names)
    {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (!EqualNoCase(key, names[i]))
                continue;
            const unsigned bit = 1u << i;
            if (m_seen & bit)
                return -1;
            m_seen |= bit;
            return static_cast<int>(i);
        }
        return -1;
    }

    AccountDatabase::Contents& m_c;
    Kind m_kind = Kind::None;
    unsigned m_seen = 0;
    bool m_accountsSeen = false;
    UserAccount m_user;
    GroupAccount m_group;
};

std::shared_ptr<const AccountDatabase::Contents> ReadContents(const std::filesystem::path& path)
{
    auto contents = std::make_shared<AccountDatabase::Contents>();
    std::string text;
    if (!ReadWholeFile(path, text))
        return contents;
    // Room for every section at once: the index is not rebuilt as it grows.
    const auto sections = std::count(text.begin(), text.end(), '[');
    contents->userIndex.reserve(static_cast<std::size_t>(sections));
    ContentsReader reader(*contents);
    ParseIni(text, reader);
    reader.Finish();
    return contents;
}

// Reads one user's section: the first one named "User:<name>", without
// regard to case, as a reading of the whole file takes it. The parse stops
// where that section ends.
class OneUserReader : public IniHandler {
public:
    OneUserReader(AccountDatabase::Contents& contents, std::string_view name)
        : m_wanted(std::string(kUserPrefix) + std::string(name)), m_reader(contents)
    {
    }

    bool OnSection(std::string_view name, const IniLine& line) override
    {
        if (m_inside)
            return false;
        m_inside = EqualNoCase(name, m_wanted);
        return !m_inside || m_reader.OnSection(name, line);
    }
    bool OnKey(std::string_view key, std::string_view value, const IniLine& line) override
    {
        return !m_inside || m_reader.OnKey(key, value, line);
    }
    void Finish() { m_reader.Finish(); }

private:
    std::string m_wanted;
    ContentsReader m_reader;
    bool m_inside = false;
};

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
    batch.Write(section, "Members", JoinText(g.members, ","));
}

bool ValidName(std::string_view name)
{
    return !name.empty() && name.find_first_of("[]\r\n,\\=") == std::string_view::npos;
}

} // namespace

bool AccountDatabase::IsValidNewUserName(std::string_view name)
{
    // Characters, not bytes: a name of UTF-8 text counts what a person sees.
    const auto characters = std::count_if(name.begin(), name.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    return ValidName(name) && static_cast<std::size_t>(characters) <= kMaxUserName;
}

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
    // A database that exists but cannot be read (a FIFO, mode 000) holds
    // accounts nobody can list: an error, not an empty domain.
    if (const unsigned long error = CheckReadable(file); error != 0 && error != winerr::FileNotFound)
        return error;
    m_data = ContentsCache().Get(file, [&] { return ReadContents(file); });
    return winerr::Success;
}

unsigned long AccountDatabase::CheckStored() const
{
    if (const unsigned long error = Reachable())
        return error;
    return CheckReadable(IniPath());
}

unsigned long AccountDatabase::LoadUser(std::string_view name)
{
    m_data = EmptyContents();
    if (unsigned long error = Reachable())
        return error;
    const std::filesystem::path file = IniPath();
    if (auto kept = ContentsCache().Peek(file)) {
        m_data = std::move(kept);
        return winerr::Success;
    }
    // A second lookup in the same state of the file reads and keeps it whole,
    // so that a run of lookups costs one reading.
    static FileSnapshotCache<bool> scanned;
    if (scanned.Peek(file))
        return Load();
    scanned.Get(file, [] { return std::make_shared<const bool>(true); });
    auto contents = std::make_shared<Contents>();
    std::string text;
    if (ReadWholeFile(file, text)) {
        OneUserReader reader(*contents, name);
        ParseIni(text, reader);
        reader.Finish();
    }
    m_data = std::move(contents);
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
    const RasPermissionChange change{std::string(user), privilege, std::string(callbackNumber)};
    std::size_t written = 0;
    return SetRasPermissions(std::span(&change, 1), written);
}

unsigned long AccountDatabase::SetRasPermissions(std::span<const RasPermissionChange> changes, std::size_t& written)
{
    written = 0;
    if (unsigned long error = Load())
        return error;
    ProfileBatch batch(IniPath());
    std::size_t known = 0;
    unsigned long error = winerr::Success;
    for (; known < changes.size(); ++known) {
        const RasPermissionChange& change = changes[known];
        const UserAccount* u = FindUser(change.user);
        if (u == nullptr) {
            error = winerr::NerrUserNotFound;
            break;
        }
        // The number as a reading of the file would give it back.
        const std::string number = IniFile::SanitizeValue(change.callbackNumber);
        if (u->rasPrivilege == change.privilege && u->callbackNumber == RemoveOuterQuotes(TrimBlanks(number)))
            continue;
        const std::string section = std::string(kUserPrefix) + u->name;
        batch.Write(section, "RasPrivilege", std::to_string(change.privilege));
        batch.Write(section, "CallbackNumber", change.callbackNumber);
    }
    if (batch.Size() != 0 && !batch.Commit())
        return winerr::AccessDenied;
    written = known;
    return error;
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
                                     [&](const std::string& m) { return EqualNoCase(m, member); });
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
        if (EqualNoCase(text, TypeName(t)))
            return t;
    return AccountType::Normal;
}

} // namespace dm

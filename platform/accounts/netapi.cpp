#include "platform/accounts/netapi.h"

#include "platform/accounts/accountdatabase.h"
#include "platform/files/network.h"
#include "platform/accounts/networkdirectory.h"
#include "platform/system/widetext.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace dm {

namespace {

// One entry of a listing: its strings in record order and its numbers.
struct Row {
    std::vector<std::u16string> texts;
    std::uint32_t flags = 0;
    std::uint32_t id = 0;
};

template <typename Info>
std::size_t RowBytes(const Row& row)
{
    std::size_t bytes = sizeof(Info);
    for (const auto& t : row.texts)
        bytes += (t.size() + 1) * sizeof(char16_t);
    return bytes;
}

// The rows from start that fit the limits (at least one when any remain),
// built one by one so that a batch costs only its own rows.
template <typename Info>
std::vector<Row> Batch(std::size_t total, const std::function<Row(std::size_t)>& rowAt, std::size_t start,
                       std::uint32_t prefmaxlen, std::uint32_t maxEntries)
{
    std::vector<Row> rows;
    std::size_t bytes = 0;
    for (std::size_t i = start; i < total && rows.size() < maxEntries; ++i) {
        Row row = rowAt(i);
        const std::size_t more = RowBytes<Info>(row);
        if (!rows.empty() && prefmaxlen != MAX_PREFERRED_LENGTH && bytes + more > prefmaxlen)
            break;
        bytes += more;
        rows.push_back(std::move(row));
    }
    return rows;
}

// Packs the rows into one block: the records, then their strings.
// fill(record, pointers to the row's strings, row, position in the listing).
template <typename Info, typename Fill>
Info* Pack(const std::vector<Row>& rows, std::size_t start, Fill fill)
{
    const std::size_t count = rows.size();
    std::size_t bytes = count * sizeof(Info);
    for (const Row& row : rows)
        bytes += RowBytes<Info>(row) - sizeof(Info);
    auto* block = static_cast<Info*>(std::calloc(1, bytes == 0 ? 1 : bytes));
    if (block == nullptr)
        return nullptr;
    auto* text = reinterpret_cast<char16_t*>(block + count);
    for (std::size_t k = 0; k < count; ++k) {
        const Row& row = rows[k];
        std::vector<char16_t*> pointers;
        for (const auto& t : row.texts) {
            std::memcpy(text, t.c_str(), (t.size() + 1) * sizeof(char16_t));
            pointers.push_back(text);
            text += t.size() + 1;
        }
        fill(block[k], pointers, row, start + k);
    }
    return block;
}

// The name field of each level-0 record.
char16_t*& NameField(GROUP_INFO_0& info) { return info.grpi0_name; }
char16_t*& NameField(LOCALGROUP_INFO_0& info) { return info.lgrpi0_name; }
char16_t*& NameField(USER_INFO_0& info) { return info.usri0_name; }
char16_t*& NameField(GROUP_USERS_INFO_0& info) { return info.grui0_name; }

// The common shape of the level-0 enumerations over total names.
template <typename Info>
NET_API_STATUS Enumerate(std::size_t total, const std::function<std::string(std::size_t)>& nameAt,
                         std::uint8_t** bufptr, std::uint32_t prefmaxlen, std::uint32_t* entriesread,
                         std::uint32_t* totalentries, std::uint32_t* resume_handle)
{
    const std::size_t start = resume_handle != nullptr ? *resume_handle : 0;
    *totalentries = static_cast<std::uint32_t>(total);
    if (start >= total) {
        if (resume_handle != nullptr)
            *resume_handle = 0;
        return winerr::Success;
    }
    const std::vector<Row> rows = Batch<Info>(
        total, [&](std::size_t i) { return Row{{ToWide(nameAt(i))}, 0, 0}; }, start, prefmaxlen,
        0xFFFFFFFF);
    Info* block = Pack<Info>(rows, start,
                             [](Info& info, const std::vector<char16_t*>& p, const Row&,
                                std::size_t) { NameField(info) = p[0]; });
    if (block == nullptr)
        return winerr::NotEnoughMemory;
    *bufptr = reinterpret_cast<std::uint8_t*>(block);
    *entriesread = static_cast<std::uint32_t>(rows.size());
    const bool more = start + rows.size() < total;
    if (resume_handle != nullptr)
        *resume_handle = more ? static_cast<std::uint32_t>(start + rows.size()) : 0;
    return more ? winerr::MoreData : winerr::Success;
}

template <typename Info>
NET_API_STATUS EnumerateGroups(const std::vector<GroupAccount>& groups, std::uint8_t** bufptr,
                               std::uint32_t prefmaxlen, std::uint32_t* entriesread,
                               std::uint32_t* totalentries, std::uint32_t* resume_handle)
{
    return Enumerate<Info>(
        groups.size(), [&](std::size_t i) { return groups[i].name; }, bufptr, prefmaxlen, entriesread,
        totalentries, resume_handle);
}

// Loads the server's account database after the usual argument checks.
NET_API_STATUS OpenAccounts(const char16_t* servername, std::uint32_t level,
                            std::uint8_t** bufptr, std::uint32_t* entriesread,
                            std::uint32_t* totalentries, AccountDatabase& accounts)
{
    if (bufptr == nullptr || entriesread == nullptr || totalentries == nullptr)
        return winerr::InvalidParameter;
    *bufptr = nullptr;
    *entriesread = 0;
    *totalentries = 0;
    if (level != 0)
        return winerr::InvalidLevel;
    accounts = AccountDatabase(FromWide(servername));
    return accounts.Load();
}

std::uint32_t FilterOf(AccountType type)
{
    switch (type) {
    case AccountType::Normal: return FILTER_NORMAL_ACCOUNT;
    case AccountType::TempDuplicate: return FILTER_TEMP_DUPLICATE_ACCOUNT;
    case AccountType::Workstation: return FILTER_WORKSTATION_TRUST_ACCOUNT;
    case AccountType::Server: return FILTER_SERVER_TRUST_ACCOUNT;
    case AccountType::InterdomainTrust: return FILTER_INTERDOMAIN_TRUST_ACCOUNT;
    }
    return FILTER_NORMAL_ACCOUNT;
}

// The users a listing shows. When it shows every user (the usual case) no
// list is built, so a batch does not cost a pass that copies the whole table.
class Selection {
public:
    template <typename Keep>
    Selection(const std::vector<UserAccount>& users, Keep keep) : m_users(users)
    {
        m_everyone = std::all_of(users.begin(), users.end(), keep);
        if (!m_everyone) {
            for (const auto& u : users)
                if (keep(u))
                    m_listed.push_back(&u);
        }
    }
    std::size_t Size() const { return m_everyone ? m_users.size() : m_listed.size(); }
    const UserAccount& operator[](std::size_t i) const { return m_everyone ? m_users[i] : *m_listed[i]; }

private:
    const std::vector<UserAccount>& m_users;
    bool m_everyone = true;
    std::vector<const UserAccount*> m_listed;
};

std::uint32_t FlagsOf(const UserAccount& user)
{
    std::uint32_t flags = UF_SCRIPT;
    switch (user.type) {
    case AccountType::Normal: flags |= UF_NORMAL_ACCOUNT; break;
    case AccountType::TempDuplicate: flags |= UF_TEMP_DUPLICATE_ACCOUNT; break;
    case AccountType::Workstation: flags |= UF_WORKSTATION_TRUST_ACCOUNT; break;
    case AccountType::Server: flags |= UF_SERVER_TRUST_ACCOUNT; break;
    case AccountType::InterdomainTrust: flags |= UF_INTERDOMAIN_TRUST_ACCOUNT; break;
    }
    if (user.disabled)
        flags |= UF_ACCOUNTDISABLE;
    return flags;
}

} // namespace

NET_API_STATUS NetGetDCName(const char16_t* servername, const char16_t* domainname,
                            std::uint8_t** bufptr)
{
    if (bufptr == nullptr)
        return winerr::InvalidParameter;
    *bufptr = nullptr;
    const std::string server = FromWide(servername);
    if (!server.empty())
        if (NET_API_STATUS error = Network::CheckReachable(server))
            return error;
    NetworkDirectory directory;
    directory.Load();
    std::string domain = FromWide(domainname);
    if (domain.empty())
        domain = directory.DomainOf(server.empty() ? Network::LocalComputerName() : server);
    const DomainEntry* entry = directory.FindDomain(domain);
    if (entry == nullptr || entry->controller.empty() ||
        Network::CheckReachable(entry->controller) != 0)
        return winerr::NerrDCNotFound;
    const std::u16string name = ToWide("\\\\" + entry->controller);
    auto* block = static_cast<char16_t*>(std::calloc(name.size() + 1, sizeof(char16_t)));
    if (block == nullptr)
        return winerr::NotEnoughMemory;
    std::memcpy(block, name.c_str(), (name.size() + 1) * sizeof(char16_t));
    *bufptr = reinterpret_cast<std::uint8_t*>(block);
    return winerr::Success;
}

NET_API_STATUS NetGroupEnum(const char16_t* servername, std::uint32_t level,
                            std::uint8_t** bufptr, std::uint32_t prefmaxlen,
                            std::uint32_t* entriesread, std::uint32_t* totalentries,
                            std::uint32_t* resume_handle)
{
    AccountDatabase accounts("");
    if (NET_API_STATUS error =
            OpenAccounts(servername, level, bufptr, entriesread, totalentries, accounts))
        return error;
    return EnumerateGroups<GROUP_INFO_0>(accounts.GlobalGroups(), bufptr, prefmaxlen, entriesread,
                                         totalentries, resume_handle);
}

NET_API_STATUS NetLocalGroupEnum(const char16_t* servername, std::uint32_t level,
                                 std::uint8_t** bufptr, std::uint32_t prefmaxlen,
                                 std::uint32_t* entriesread, std::uint32_t* totalentries,
                                 std::uint32_t* resume_handle)
{
    AccountDatabase accounts("");
    if (NET_API_STATUS error =
            OpenAccounts(servername, level, bufptr, entriesread, totalentries, accounts))
        return error;
    return EnumerateGroups<LOCALGROUP_INFO_0>(accounts.LocalGroups(), bufptr, prefmaxlen,
                                              entriesread, totalentries, resume_handle);
}

NET_API_STATUS NetUserEnum(const char16_t* servername, std::uint32_t level, std::uint32_t filter,
                           std::uint8_t** bufptr, std::uint32_t prefmaxlen,
                           std::uint32_t* entriesread, std::uint32_t* totalentries,
                           std::uint32_t* resume_handle)
{
    AccountDatabase accounts("");
    if (NET_API_STATUS error =
            OpenAccounts(servername, level, bufptr, entriesread, totalentries, accounts))
        return error;
    const Selection listed(accounts.Users(), [filter](const UserAccount& u) {
        return filter == 0 || (filter & FilterOf(u.type)) != 0;
    });
    return Enumerate<USER_INFO_0>(
        listed.Size(), [&](std::size_t i) { return listed[i].name; }, bufptr, prefmaxlen,
        entriesread, totalentries, resume_handle);
}

NET_API_STATUS NetGroupGetUsers(const char16_t* servername, const char16_t* groupname,
                                std::uint32_t level, std::uint8_t** bufptr,
                                std::uint32_t prefmaxlen, std::uint32_t* entriesread,
                                std::uint32_t* totalentries, std::uint32_t* resume_handle)
{
    AccountDatabase accounts("");
    if (NET_API_STATUS error =
            OpenAccounts(servername, level, bufptr, entriesread, totalentries, accounts))
        return error;
    const GroupAccount* group = accounts.FindGlobalGroup(FromWide(groupname));
    if (group == nullptr)
        return winerr::NerrGroupNotFound;
    const auto& members = group->members;
    return Enumerate<GROUP_USERS_INFO_0>(
        members.size(), [&](std::size_t i) { return members[i]; }, bufptr, prefmaxlen, entriesread,
        totalentries, resume_handle);
}

NET_API_STATUS NetQueryDisplayInformation(const char16_t* servername, std::uint32_t level,
                                          std::uint32_t index, std::uint32_t entriesRequested,
                                          std::uint32_t preferredMaximumLength,
                                          std::uint32_t* returnedEntryCount, void** sortedBuffer)
{
    if (returnedEntryCount == nullptr || sortedBuffer == nullptr)
        return winerr::InvalidParameter;
    *returnedEntryCount = 0;
    *sortedBuffer = nullptr;
    if (level != 1)
        return winerr::InvalidLevel;
    AccountDatabase accounts(FromWide(servername));
    if (NET_API_STATUS error = accounts.Load())
        return error;
    const Selection listed(accounts.Users(), [](const UserAccount& u) {
        return u.type == AccountType::Normal || u.type == AccountType::TempDuplicate;
    });
    if (index >= listed.Size())
        return winerr::Success;
    const std::uint32_t limit = entriesRequested == 0 ? 1 : entriesRequested;
    const std::vector<Row> rows = Batch<NET_DISPLAY_USER>(
        listed.Size(),
        [&](std::size_t i) {
            const UserAccount& u = listed[i];
            return Row{{ToWide(u.name), ToWide(u.comment), ToWide(u.fullName)}, FlagsOf(u), u.rid};
        },
        index, preferredMaximumLength, limit);
    const std::size_t count = rows.size();
    auto* block = Pack<NET_DISPLAY_USER>(
        rows, index,
        [](NET_DISPLAY_USER& d, const std::vector<char16_t*>& p, const Row& row,
           std::size_t position) {
            d.usri1_name = p[0];
            d.usri1_comment = p[1];
            d.usri1_full_name = p[2];
            d.usri1_flags = row.flags;
            d.usri1_user_id = row.id;
            d.usri1_next_index = static_cast<std::uint32_t>(position + 1);
        });
    if (block == nullptr)
        return winerr::NotEnoughMemory;
    *sortedBuffer = block;
    *returnedEntryCount = static_cast<std::uint32_t>(count);
    return index + count < listed.Size() ? winerr::MoreData : winerr::Success;
}

NET_API_STATUS NetApiBufferFree(void* buffer)
{
    std::free(buffer);
    return winerr::Success;
}

} // namespace dm

#pragma once
// The account database of one emulated computer (machines/NAME/accounts.ini,
// docs/network-ras.md): its user accounts with their RAS permission, its
// global groups and its local groups with their members. A domain
// controller's database is the domain's.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dm {

enum class AccountType { Normal, TempDuplicate, Workstation, Server, InterdomainTrust };

struct UserAccount {
    std::string name;
    std::string fullName;
    std::string comment;
    AccountType type = AccountType::Normal;
    bool disabled = false;
    std::uint32_t rid = 0; // 0: assigned from the position when loaded
    // RAS permission: 8 dial-in, 1 no call-back, 2 preset call-back, 4 set by caller.
    std::uint8_t rasPrivilege = 1;
    std::string callbackNumber;
};

// One user's RAS permission as a batch sets it.
struct RasPermissionChange {
    std::string user;
    std::uint8_t privilege = 1;
    std::string callbackNumber;
};

struct GroupAccount {
    std::string name;
    std::string comment;
    std::vector<std::string> members; // user names; a local group may hold DOMAIN\name
};

class AccountDatabase {
public:
    explicit AccountDatabase(std::string_view computer);

    // The longest user name the platform takes for a new account, in
    // characters; accounts already stored are read whatever their length.
    static constexpr std::size_t kMaxUserName = 20;
    static bool IsValidNewUserName(std::string_view name);

    // Reads the file: 0, 53 when the computer is unknown or unreachable, 5
    // when accounts.ini exists but cannot be read (a FIFO, mode 000).
    // A computer without accounts.ini has an empty database. The file is
    // read and indexed once while it is unchanged: every later Load of any
    // AccountDatabase shares that reading (so each batch of an enumeration
    // costs only its own entries).
    unsigned long Load();
    // Load for a caller that wants one user only (FindUser(name)): the shared
    // reading while the file is unchanged; else, the first time, just that
    // user's section, found without indexing the file (the other lists are
    // empty then, and the user's Rid, when the file gives none, is not its
    // position's); a second lookup in the same state of the file loads it.
    unsigned long LoadUser(std::string_view name);

    const std::string& DomainName() const { return m_data->domain; }
    const std::vector<UserAccount>& Users() const { return m_data->users; }
    const std::vector<GroupAccount>& GlobalGroups() const { return m_data->globalGroups; }
    const std::vector<GroupAccount>& LocalGroups() const { return m_data->localGroups; }
    // Names compare without regard to case (through an index); null when there is none.
    const UserAccount* FindUser(std::string_view name) const;
    const GroupAccount* FindGlobalGroup(std::string_view name) const;
    const GroupAccount* FindLocalGroup(std::string_view name) const;

    // Writes one user's RAS permission: 0, 53, 2221 unknown user, 5 unwritable.
    // A permission that already reads as it would be written writes nothing.
    unsigned long SetRasPermission(std::string_view user, std::uint8_t privilege,
                                   std::string_view callbackNumber);
    // Many users' RAS permissions, in order, in one locked write of the file;
    // those that already read as they would be written are left alone, and
    // when none changes the file is not written at all. Stops at the first
    // unknown user (2221): `written` counts the users before it, which are
    // written; an error of the file (53, 5) sets none, written 0.
    unsigned long SetRasPermissions(std::span<const RasPermissionChange> changes, std::size_t& written);

    // Tool operations, each one locked write of the file: create or replace
    // accounts (a group's member list is replaced), name the domain.
    // A domain name, when given, is written in the same write.
    unsigned long Store(const std::vector<UserAccount>& users,
                        const std::vector<GroupAccount>& globalGroups,
                        const std::vector<GroupAccount>& localGroups,
                        std::string_view domain = {});
    unsigned long SetDomainName(std::string_view domain);
    // Adds a member to a group (created when missing); 0, 53, 2221 unknown user.
    unsigned long AddMember(std::string_view group, std::string_view member, bool local);

    std::string IniPath() const;
    // Whether the computer's account database can be read: 0 when it can,
    // 53 for an unknown or unreachable computer, 2 when it has no
    // accounts.ini, else the error of CheckReadable. Load takes a missing
    // file for an empty database; an operation that copies every account
    // asks here first, so that a lost file is never copied as no accounts.
    unsigned long CheckStored() const;

    static std::string TypeName(AccountType type);
    static AccountType ParseType(std::string_view text);

    // The accounts as read from one state of the file.
    struct Contents {
        std::string domain;
        std::vector<UserAccount> users;
        std::vector<GroupAccount> globalGroups;
        std::vector<GroupAccount> localGroups;
        // Lower-case name -> position.
        std::unordered_map<std::string, std::size_t> userIndex, globalIndex, localIndex;
    };

private:
    unsigned long Reachable() const;

    std::string m_computer;
    std::shared_ptr<const Contents> m_data;
};

} // namespace dm

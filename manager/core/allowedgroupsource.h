#pragma once
// What the Add Allowed Groups dialog offers: the domains and workgroups of
// the network, found two levels deep through the network provider calls, and
// the groups and user accounts of one domain, read from its primary domain
// controller. Qt-free.

#include "platform/accounts/wnet.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

class UserInteraction;

// The network provider calls, so that tests can make any one of them fail.
class NetworkBrowsing {
public:
    virtual ~NetworkBrowsing() = default;
    virtual unsigned long OpenEnum(const NETRESOURCE* container, WNetHandle* handle);
    virtual unsigned long EnumResource(WNetHandle handle, std::uint32_t* count, void* buffer,
                                       std::uint32_t* bufferSize);
    virtual unsigned long CloseEnum(WNetHandle handle);

    // The emulated network's own calls.
    static NetworkBrowsing& System();
};

// The four failures, in the order of the calls.
inline constexpr const char* kErrorOpenEnum1 = "Error Open Enum 1";
inline constexpr const char* kErrorEnumRes1 = "Error Enum Res 1";
inline constexpr const char* kErrorOpenEnum2 = "Error Open Enum 2";
inline constexpr const char* kErrorEnumRes2 = "Error Enum Res 2";

// Opens the whole network, reads one batch of up to 100,000 bytes, opens the
// first container it returned and reads that container's entries (the
// domains and workgroups) in one batch of the same size. Each call that
// fails is reported through ui with its text and the walk goes on with what
// it has; a step that has nothing to work on (no handle, no container) is
// not attempted. Returns the remote names of the second level in order.
std::vector<std::string> ListNetworkDomains(NetworkBrowsing& network, UserInteraction& ui);

struct AccountChoice {
    char kind = 'G'; // "G" global group, "L" local group, "U" user account
    std::string name;

    bool operator==(const AccountChoice&) const = default;
};

// The global groups, then the local groups, then the user accounts of the
// domain's primary domain controller, each read in batches of at most 10,000
// bytes until all are read. Empty, without a message, when the controller
// cannot be found.
std::vector<AccountChoice> ListDomainAccounts(std::string_view domain);

} // namespace dm

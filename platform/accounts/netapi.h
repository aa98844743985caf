#pragma once
// The network account calls over the emulated network, with the platform's
// shapes: wide (UTF-16) names, level-0/level-1 records in one block that
// NetApiBufferFree releases, batches limited by a preferred size, resume
// handles and the more-data result (234).
//
// A server is named "\\NAME", "NAME", or null/empty for the local computer;
// an unknown or unreachable server gives 53. A domain's accounts live in its
// controller's accounts.ini, a domain's controller in network.ini
// (docs/network-ras.md).
//
// Batching: each call returns the entries from the resume position onward
// that fit in prefmaxlen bytes, counted as the records plus their strings
// with terminating zeros (MAX_PREFERRED_LENGTH: all of them), but always at
// least one. The result is 234 while entries remain, the resume handle then
// holds the position to continue from (0 after the last batch); 0 when the
// batch reaches the end. totalentries is the number of all entries the call
// enumerates, so that a caller may also count the entries read against it.
// A call that returns nothing leaves *bufptr null.

#include <cstdint>

namespace dm {

using NET_API_STATUS = unsigned long;

constexpr std::uint32_t MAX_PREFERRED_LENGTH = 0xFFFFFFFF;

// NetUserEnum filters.
constexpr std::uint32_t FILTER_TEMP_DUPLICATE_ACCOUNT = 0x0001;
constexpr std::uint32_t FILTER_NORMAL_ACCOUNT = 0x0002;
constexpr std::uint32_t FILTER_INTERDOMAIN_TRUST_ACCOUNT = 0x0008;
constexpr std::uint32_t FILTER_WORKSTATION_TRUST_ACCOUNT = 0x0010;
constexpr std::uint32_t FILTER_SERVER_TRUST_ACCOUNT = 0x0020;

// Account flags (NET_DISPLAY_USER::usri1_flags).
constexpr std::uint32_t UF_SCRIPT = 0x0001;
constexpr std::uint32_t UF_ACCOUNTDISABLE = 0x0002;
constexpr std::uint32_t UF_TEMP_DUPLICATE_ACCOUNT = 0x0100;
constexpr std::uint32_t UF_NORMAL_ACCOUNT = 0x0200;
constexpr std::uint32_t UF_INTERDOMAIN_TRUST_ACCOUNT = 0x0800;
constexpr std::uint32_t UF_WORKSTATION_TRUST_ACCOUNT = 0x1000;
constexpr std::uint32_t UF_SERVER_TRUST_ACCOUNT = 0x2000;

namespace winerr {
constexpr unsigned long InvalidLevel = 124;
} // namespace winerr

struct GROUP_INFO_0 {
    char16_t* grpi0_name;
};
struct LOCALGROUP_INFO_0 {
    char16_t* lgrpi0_name;
};
struct USER_INFO_0 {
    char16_t* usri0_name;
};
struct GROUP_USERS_INFO_0 {
    char16_t* grui0_name;
};
struct NET_DISPLAY_USER {
    char16_t* usri1_name;
    char16_t* usri1_comment;
    std::uint32_t usri1_flags;
    char16_t* usri1_full_name;
    std::uint32_t usri1_user_id;
    std::uint32_t usri1_next_index; // the index to continue from after this entry
};

// The controller of a domain as "\\NAME" (a wide string in *bufptr). A null
// or empty domain is the server's own domain. 2453 when the domain is
// unknown, has no controller or its controller cannot be reached.
NET_API_STATUS NetGetDCName(const char16_t* servername, const char16_t* domainname,
                            std::uint8_t** bufptr);

// Global groups (GROUP_INFO_0), level 0 only.
NET_API_STATUS NetGroupEnum(const char16_t* servername, std::uint32_t level,
                            std::uint8_t** bufptr, std::uint32_t prefmaxlen,
                            std::uint32_t* entriesread, std::uint32_t* totalentries,
                            std::uint32_t* resume_handle);
// Local groups (LOCALGROUP_INFO_0), level 0 only.
NET_API_STATUS NetLocalGroupEnum(const char16_t* servername, std::uint32_t level,
                                 std::uint8_t** bufptr, std::uint32_t prefmaxlen,
                                 std::uint32_t* entriesread, std::uint32_t* totalentries,
                                 std::uint32_t* resume_handle);
// User accounts (USER_INFO_0) whose type the filter names (0: every account).
NET_API_STATUS NetUserEnum(const char16_t* servername, std::uint32_t level, std::uint32_t filter,
                           std::uint8_t** bufptr, std::uint32_t prefmaxlen,
                           std::uint32_t* entriesread, std::uint32_t* totalentries,
                           std::uint32_t* resume_handle);
// Members of a global group (GROUP_USERS_INFO_0); 2220 for an unknown group.
NET_API_STATUS NetGroupGetUsers(const char16_t* servername, const char16_t* groupname,
                                std::uint32_t level, std::uint8_t** bufptr,
                                std::uint32_t prefmaxlen, std::uint32_t* entriesread,
                                std::uint32_t* totalentries, std::uint32_t* resume_handle);
// User accounts for display (level 1, NET_DISPLAY_USER), from position index,
// at most entriesRequested of them within preferredMaximumLength bytes; 234
// while more follow (continue at the last entry's usri1_next_index).
NET_API_STATUS NetQueryDisplayInformation(const char16_t* servername, std::uint32_t level,
                                          std::uint32_t index, std::uint32_t entriesRequested,
                                          std::uint32_t preferredMaximumLength,
                                          std::uint32_t* returnedEntryCount, void** sortedBuffer);

// Releases a block returned by the calls above (null is accepted).
NET_API_STATUS NetApiBufferFree(void* buffer);

} // namespace dm

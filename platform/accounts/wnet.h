#pragma once
// Browsing the emulated network with the network provider calls: open an
// enumeration of a container, read its entries in batches into the caller's
// buffer, close it.
//
// The hierarchy comes from network.ini and the computers' shares.ini
// (docs/network-ras.md): the top of the network holds the providers (display
// type network), a provider its domains (domain), a domain its servers
// (server, remote name "\\NAME"), a server its shares (share, remote name
// "\\NAME\SHARE"; hidden shares ending in "$" are not listed).
//
// Results: 0 success; 259 no more entries; 234 the buffer cannot hold even
// one entry (*bufferSize then tells the size needed); 6 an invalid handle;
// 87 a bad argument; 1207 a container that cannot be enumerated (a share).

#include <cstdint>

namespace dm {

constexpr std::uint32_t RESOURCE_CONNECTED = 1;
constexpr std::uint32_t RESOURCE_GLOBALNET = 2;
constexpr std::uint32_t RESOURCE_REMEMBERED = 3;

constexpr std::uint32_t RESOURCETYPE_ANY = 0;
constexpr std::uint32_t RESOURCETYPE_DISK = 1;
constexpr std::uint32_t RESOURCETYPE_PRINT = 2;

constexpr std::uint32_t RESOURCEUSAGE_CONNECTABLE = 1;
constexpr std::uint32_t RESOURCEUSAGE_CONTAINER = 2;

constexpr std::uint32_t RESOURCEDISPLAYTYPE_GENERIC = 0;
constexpr std::uint32_t RESOURCEDISPLAYTYPE_DOMAIN = 1;
constexpr std::uint32_t RESOURCEDISPLAYTYPE_SERVER = 2;
constexpr std::uint32_t RESOURCEDISPLAYTYPE_SHARE = 3;
constexpr std::uint32_t RESOURCEDISPLAYTYPE_NETWORK = 6;

namespace winerr {
constexpr unsigned long NotContainer = 1207;
} // namespace winerr

struct NETRESOURCE {
    std::uint32_t dwScope;
    std::uint32_t dwType;
    std::uint32_t dwDisplayType;
    std::uint32_t dwUsage;
    char* lpLocalName;
    char* lpRemoteName;
    char* lpComment;
    char* lpProvider;
};

struct WNetEnumeration;
using WNetHandle = WNetEnumeration*;

// Opens an enumeration. container null: the top of the network; otherwise an
// entry returned by an earlier enumeration (its display type and remote name
// say what it is). usage 0 lists containers and connectable entries alike.
unsigned long WNetOpenEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                           const NETRESOURCE* container, WNetHandle* handle);
// Reads the next entries into buffer: NETRESOURCE records from its start, the
// strings they point to at its end. *count: in, the most entries wanted
// (0xFFFFFFFF: as many as fit); out, the entries read.
unsigned long WNetEnumResource(WNetHandle handle, std::uint32_t* count, void* buffer,
                               std::uint32_t* bufferSize);
unsigned long WNetCloseEnum(WNetHandle handle);

} // namespace dm

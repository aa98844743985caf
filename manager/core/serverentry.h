#pragma once
// The monitored servers with their live port tables, as the last refresh of
// each server left them.

#include <cstdint>
#include <string>
#include <vector>

namespace dm {

// Result of the last refresh of a server.
enum class ServerState : int {
    Reachable = 0,
    RegistryUnavailable = 1, // its registry or RAS configuration key could not be opened
    NoPorts = 2,
    EnumerationFailed = 3,
    NoComponent = 4, // answers, but does not run the server component: its ports are not read
};

// Slot states of a port.
enum class SlotState : int {
    NoUser = 0,        // no authenticated user
    Authenticated = 1, // an authenticated user is present
    Unreadable = 2,    // the port's information could not be read
};

struct PortSlot {
    std::string portName;
    std::string user;               // domain\name; empty without a session
    std::uint32_t sessionStart = 0; // seconds since 1970; 0 = no session
    SlotState state = SlotState::NoUser;
};

struct ServerEntry {
    std::string name; // computer name without backslashes
    int portCount = 0;
    int busyCount = 0;
    std::vector<PortSlot> slots; // enumeration order; slots.size() >= portCount
    ServerState state = ServerState::Reachable;
};

// What FindServer answers when no server has the name.
constexpr int kNoServer = 6666;

// Conditions of a port as GetPortCondition reports them.
enum class PortCondition : int { Idle = 0, Busy = 1, NotAvailable = 2 };

} // namespace dm

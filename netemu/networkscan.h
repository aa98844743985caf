#pragma once
// What dmsim learns from the emulated network: the computers that have RAS,
// their ports, whether the server component is installed and where its
// database directory lies, and the domain accounts that may dial in.

#include "netemu/addresses.h"
#include "netemu/callermodel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dm::netemu {

// The server component's configuration in a computer's registry.
struct ComponentConfig {
    bool installed = false;    // AdminDLL names a DLLPath that exists
    std::string masterShare;   // as the component on that computer sees it
    std::string databaseDir;   // MasterShare resolved to a path of this machine ("" when it cannot be)
    std::uint32_t idleMinutes = 0;
    bool operator==(const ComponentConfig&) const = default;
};

struct ScannedPort {
    std::string name;
    std::uint32_t lineSpeed = 0;
    bool outOfService = false; // see IsOutOfService
};

struct ScannedServer {
    std::string name;
    std::vector<ScannedPort> ports;
    ComponentConfig component;
    std::uint32_t autoDisconnectMinutes = 0; // the RAS service's AutoDisconnect
    std::vector<CallerProfile> callers;
};

// Reads "Software\Microsoft\RAS\AdminDLL" of the computer.
ComponentConfig ReadComponentConfig(const std::string& computer);

// The RAS service's idle disconnect in minutes (AutoDisconnect of its
// parameters key), 0 when off or not set.
std::uint32_t ReadAutoDisconnect(const std::string& computer);

// A port that is not operational (line condition 1) or reports a hardware
// failure takes no calls; only an administrator's change of its conditions
// puts it back in service. The service never writes those conditions itself.
bool IsOutOfService(std::uint32_t lineCondition, std::uint32_t hardwareCondition);

// The domain a computer belongs to (network.ini), "" when none names it.
std::string DomainOf(const std::string& computer);

// Users of the computer's domain (or of the computer itself without a
// domain) who may dial in, with their groups; deterministic for a network.
std::vector<CallerProfile> LoadCallers(const std::string& computer);

// Every computer of the network whose ras.ini exists, in name order.
std::vector<ScannedServer> ScanNetwork();

// Appends a pop-up message to machines/<computer>/messages.log, or to the
// network's messages.log when no such computer exists. 0, or the error that
// kept it from being delivered (the file is a FIFO, a link out, unwritable).
unsigned long DeliverMessage(const std::string& from, const std::string& computer, const std::string& text,
                             std::uint32_t time);

} // namespace dm::netemu

#pragma once
// One RAS port of an emulated computer as its ras.ini section holds it
// (docs/network-ras.md): the device, the line, the session and the counters.

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace dm {

// Error code of a protocol that was not negotiated on the port.
constexpr std::uint32_t kProtocolNotProjected = 731;

struct RasProjection {
    std::uint32_t error = kProtocolNotProjected; // 0 = projected
    std::string address;                         // IP, IPX or AppleTalk address text

    bool operator==(const RasProjection&) const = default;
};

struct RasPortRecord {
    std::string name; // "COM1", "ISDN1"
    std::string deviceType;
    std::string deviceName;
    std::string mediaName;
    std::uint32_t mediaType = 1; // MEDIA_SERIAL
    std::uint32_t flags = 0;
    std::uint32_t lineCondition = 4; // RAS_PORT_LISTENING
    std::uint32_t hardwareCondition = 1;
    std::uint32_t lineSpeed = 0;
    bool advancedServer = true;

    // The session: empty user and start 0 when there is none.
    std::string user;
    std::string logonDomain;
    std::string computer;
    std::uint32_t sessionStart = 0;

    // PPP projection results.
    std::uint32_t nbfError = kProtocolNotProjected;
    std::uint32_t nbfNetBiosError = 0;
    std::string nbfName;
    std::string nbfWorkstation;
    RasProjection ip;
    RasProjection ipx;
    RasProjection appleTalk;

    // The fourteen session counters in the order of RAS_PORT_STATISTICS.
    std::array<std::uint32_t, 14> counters{};

    // Media parameters in file order: key and value text (all digits = number).
    std::vector<std::pair<std::string, std::string>> mediaParams;

    bool HasSession() const { return !user.empty() || sessionStart != 0; }
    bool operator==(const RasPortRecord&) const = default;
};

// The ras.ini key of each counter, in counter order.
extern const std::array<const char*, 14> kRasCounterKeys;

// A text read as an unsigned 32-bit number: decimal, or hexadecimal after
// "0x"; anything unreadable is 0, values past 32 bits keep their low bits.
std::uint32_t ParseUnsigned(const std::string& text);

} // namespace dm

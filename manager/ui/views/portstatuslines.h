#pragma once
// The texts of the port status panel's lines, computed from one port query
// (the port record and its statistics) apart from any widget.

#include "platform/ras/rassapi/rassapi.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace dm {

class PortStatusLines {
public:
    enum Group { CurrentSession, DeviceData, SessionStatistics, SessionErrors, GroupCount };
    enum Line {
        UserAccount, ComputerName, SessionStarted, IpAddress, IpxAddress, NetBiosName, UsingPpp,
        DeviceName, DeviceType, MediaName, MediaType, LineCondition, LineSpeed, HardwareState,
        BytesOut, BytesOutBefore, OutRatio, FramesOut, BytesIn, BytesInAfter, InRatio, FramesIn,
        CrcErrors, TimeoutErrors, AlignmentErrors, FramingErrors, HardwareOverruns, BufferErrors,
        LineCount
    };
    // A line that the fill leaves alone holds no text (a protocol whose
    // projection reports an error keeps its previous text).
    using Texts = std::array<std::optional<std::string>, LineCount>;

    static const char* GroupTitle(Group group);
    static int GroupImage(Group group);
    static Group GroupOf(Line line);
    // The text a line shows before the first fill.
    static const char* InitialText(Line line);

    struct Result {
        Texts texts;
        bool userConnected = false;
        std::string account;  // domain\\user, empty without a user
        std::string userName; // the account name without its domain
    };
    static Result Compute(const RAS_PORT_1& port, const RAS_PORT_STATISTICS& statistics);

    // 0 when nothing was sent before compression, else 100 - bytes * 100 / before,
    // negative when compression made the data larger.
    static std::int64_t CompressionRatio(std::int64_t bytes, std::int64_t before);
    // Bytes plus what compression saved (negative savings when it added bytes).
    static std::int64_t BytesBefore(std::uint32_t bytes, std::uint32_t uncompressed, std::uint32_t compressed);
    static std::string MediaTypeText(std::uint32_t mediaType);
    static std::string LineConditionText(std::uint32_t condition);
};

} // namespace dm

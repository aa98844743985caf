#include "manager/ui/views/portstatuslines.h"

#include "platform/system/widetext.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace dm {

namespace {

std::string Format(const char* format, ...)
{
    char text[400];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// A fixed wide field of the port record, read up to its capacity even when
// the library left it unterminated.
template <size_t N>
std::string Field(const WCHAR (&field)[N])
{
    size_t length = 0;
    while (length < N && field[length] != 0)
        ++length;
    return FromWide(std::u16string_view(field, length));
}

} // namespace

const char* PortStatusLines::GroupTitle(Group group)
{
    static const char* const titles[] = {"Current Session", "Device Data", "Session Statistics", "Session Errors"};
    return titles[group];
}

int PortStatusLines::GroupImage(Group group)
{
    static const int images[] = {3, 0, 2, 1};
    return images[group];
}

PortStatusLines::Group PortStatusLines::GroupOf(Line line)
{
    if (line <= UsingPpp)
        return CurrentSession;
    if (line <= HardwareState)
        return DeviceData;
    if (line <= FramesIn)
        return SessionStatistics;
    return SessionErrors;
}

const char* PortStatusLines::InitialText(Line line)
{
    static const char* const texts[LineCount] = {
        "User account:  ", "Computer name:  ", "Session started:  ", "IP address:  ", "IPX address:  ",
        "NetBIOS name:  ", "Using PPP:  No", "Device name:  ", "Device type:  ", "Media name:  ",
        "Media type:  ", "Line condition:  ", "Line speed:  ", "Hardware state:  ", "Bytes out:  ",
        "Bytes out before compression:  ", "Outgoing Compression ratio:  ", "Frames out:  ", "Bytes in:  ",
        "Bytes in after decompression:  ", "Incoming Compression ratio:  ", "Frames in:  ", "CRC errors:  ",
        "Time-out errors:  ", "Alignment errors:  ", "Framing errors:  ", "Hardware overruns:  ",
        "Buffer errors:  "};
    return texts[line];
}

std::int64_t PortStatusLines::CompressionRatio(std::int64_t bytes, std::int64_t before)
{
    if (before <= 0)
        return 0;
    return 100 - bytes * 100 / before;
}

std::int64_t PortStatusLines::BytesBefore(std::uint32_t bytes, std::uint32_t uncompressed, std::uint32_t compressed)
{
    return static_cast<std::int64_t>(bytes) + uncompressed - static_cast<std::int64_t>(compressed);
}

std::string PortStatusLines::MediaTypeText(std::uint32_t mediaType)
{
    switch (mediaType) {
    case MEDIA_SERIAL: return "Media type:  SERIAL";
    case MEDIA_RAS10_SERIAL: return "Media type:  SERIAL (RAS10)";
    case MEDIA_X25: return "Media type:  X25";
    case MEDIA_ISDN: return "Media type:  ISDN";
    default: return "Media type:  UNKNOWN";
    }
}

std::string PortStatusLines::LineConditionText(std::uint32_t condition)
{
    switch (condition) {
    case RAS_PORT_DISCONNECTED: return "Line condition:  DISCONNECTED";
    case RAS_PORT_CALLING_BACK: return "Line condition:  CALLING BACK";
    case RAS_PORT_LISTENING: return "Line condition:  WAITING FOR CALL";
    case RAS_PORT_AUTHENTICATING: return "Line condition:  AUTHENTICATING";
    case RAS_PORT_AUTHENTICATED: return "Line condition:  AUTHENTICATED";
    case RAS_PORT_INITIALIZING: return "Line condition:  INITIALIZING";
    default: return "Line condition:  NOT OPERATIONAL";
    }
}

PortStatusLines::Result PortStatusLines::Compute(const RAS_PORT_1& port, const RAS_PORT_STATISTICS& stats)
{
    Result result;
    Texts& t = result.texts;
    const RAS_PORT_0& p0 = port.rasport0;
    t[ComputerName] = "Computer name:  " + Field(p0.wszComputer);
    t[DeviceName] = "Device name:  " + Field(p0.wszDeviceName);
    t[DeviceType] = "Device type:  " + Field(p0.wszDeviceType);
    t[MediaName] = "Media name:  " + Field(p0.wszMediaName);

    const std::string account = Field(p0.wszLogonDomain) + "\\" + Field(p0.wszUserName);
    result.userName = Field(p0.wszUserName);
    result.userConnected = account != "\\";
    if (result.userConnected) {
        result.account = account;
        t[UserAccount] = "User name:  " + account;
        t[UsingPpp] = (p0.Flags & PPP_CLIENT) ? "Using PPP:  YES" : "Using PPP:  NO";
        t[LineSpeed] = Format("Port speed:  %u bps", port.LineSpeed);
    } else {
        t[UserAccount] = "User name:  ";
        t[UsingPpp] = "Using PPP:  ";
        t[LineSpeed] = "Line speed:  ";
    }
    t[MediaType] = MediaTypeText(p0.MediaType);
    t[LineCondition] = LineConditionText(port.LineCondition);
    t[HardwareState] = port.HardwareCondition == RAS_MODEM_HARDWARE_FAILURE ? "Hardware state:  HARDWARE FAILURE"
                                                                            : "Hardware state:  OK";

    // Counters are unsigned 32-bit: shown as such, never negative.
    t[AlignmentErrors] = Format("Alignment errors:  %u", stats.dwAlignmentErr);
    t[BufferErrors] = Format("Buffer overruns:  %u", stats.dwBufferOverrunErr);
    t[CrcErrors] = Format("CRC errors:  %u", stats.dwCrcErr);
    t[FramingErrors] = Format("Framing errors:  %u", stats.dwFramingErr);
    t[HardwareOverruns] = Format("Hardware overruns:  %u", stats.dwHardwareOverrunErr);
    t[TimeoutErrors] = Format("Timeouts:  %u", stats.dwTimeoutErr);

    const long long outBefore =
        BytesBefore(stats.dwBytesXmited, stats.dwBytesXmitedUncompressed, stats.dwBytesXmitedCompressed);
    t[BytesOut] = Format("Outgoing bytes:  %u", stats.dwBytesXmited);
    t[BytesOutBefore] = Format("Outgoing bytes before compress:  %lld", outBefore);
    t[OutRatio] = Format("Outgoing compress ratio:  %lld%%",
                         static_cast<long long>(CompressionRatio(stats.dwBytesXmited, outBefore)));
    t[FramesOut] = Format("Outgoing frames:  %u", stats.dwFramesXmited);

    const long long inBefore =
        BytesBefore(stats.dwBytesRcved, stats.dwBytesRcvedUncompressed, stats.dwBytesRcvedCompressed);
    t[BytesIn] = Format("Incoming bytes:  %u", stats.dwBytesRcved);
    t[BytesInAfter] = Format("Incoming bytes before decompress:  %lld", inBefore);
    t[InRatio] = Format("Incoming compress ratio:  %lld%%",
                        static_cast<long long>(CompressionRatio(stats.dwBytesRcved, inBefore)));
    t[FramesIn] = Format("Incoming frames:  %u", stats.dwFramesRcved);

    const RAS_PPP_PROJECTION_RESULT& projection = port.ProjResult;
    if (!result.userConnected) {
        // Without a session no caller's addresses remain on the lines.
        t[NetBiosName] = "NetBIOS name:  ";
        t[IpAddress] = "IP address:  ";
        t[IpxAddress] = "IPX address:  ";
    } else {
        if (projection.nbf.dwError == 0)
            t[NetBiosName] = "NetBIOS name:  " + Field(projection.nbf.wszWksta);
        if (projection.ip.dwError == 0)
            t[IpAddress] = "IP address:  " + Field(projection.ip.wszAddress);
        if (projection.ipx.dwError == 0)
            t[IpxAddress] = "IPX address:  " + Field(projection.ipx.wszAddress);
    }

    if (p0.dwStartSessionTime != 0) {
        const std::time_t start = p0.dwStartSessionTime;
        std::tm local{};
        char text[41] = "Session started:  ";
        if (localtime_r(&start, &local))
            std::strftime(text, sizeof text, "Session started:  %H:%M:%S", &local);
        t[SessionStarted] = text;
    } else {
        t[SessionStarted] = "Session started:  ";
    }
    return result;
}

} // namespace dm

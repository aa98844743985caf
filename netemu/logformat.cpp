#include "netemu/logformat.h"

#include "common/logrecord.h"

namespace dm::netemu {

std::string EncodeLogValue(const LogEvent& event)
{
    switch (event.kind) {
    case LogEvent::Connect:
        return FormatConnectValue(event.user);
    case LogEvent::Denied:
        return FormatDeniedValue(event.user, event.reason);
    case LogEvent::SessionEnd:
        break;
    }
    return FormatSessionEndValue(event.duration, event.user, event.ip, event.reason, event.ipx, event.netbios);
}

std::string DatabaseFile(const std::string& dir, const std::string& name) { return dir + "\\" + name; }

std::string DayFileName(const std::string& dbDir, std::uint32_t time) { return DayLogPath(dbDir, time); }

} // namespace dm::netemu

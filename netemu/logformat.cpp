#include "netemu/logformat.h"

#include <ctime>

namespace dm::netemu {

// Interim forms until the shared encoders are on main.
std::string EncodeLogValue(const LogEvent& event)
{
    switch (event.kind) {
    case LogEvent::Connect:
        return "C_" + event.user;
    case LogEvent::Denied:
        return "N_" + event.user + "?" + std::to_string(event.reason % 10);
    case LogEvent::SessionEnd:
        break;
    }
    return "H" + std::to_string(event.duration) + "_" + event.user + "?"
           + std::to_string(static_cast<std::int32_t>(event.ip)) + "?" + std::to_string(event.reason) + ":"
           + event.ipx + ":" + event.netbios;
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    const char separator = dir.front() == '/' ? '/' : '\\';
    return dir.back() == separator ? dir + name : dir + separator + name;
}

std::string DayFileName(const std::string& dbDir, std::uint32_t time)
{
    static const char* const months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t t = time;
    std::tm local{};
    localtime_r(&t, &local);
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%s-%02d", local.tm_year + 1900, months[local.tm_mon], local.tm_mday);
    return JoinPath(JoinPath(dbDir, "LogData"), std::string(date) + ".log");
}

} // namespace dm::netemu

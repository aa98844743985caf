#include "demo/demodatabase.h"

#include "platform/files/profile.h"

#include <algorithm>
#include <ctime>

namespace dm {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

void WritePorts(ProfileBatch& hw, const std::vector<DemoPort>& ports,
                const std::vector<DemoPerson>& people, DemoRandom& random)
{
    int isdnCount = 0;
    for (const auto& port : ports) {
        if (!port.managed)
            continue;
        const std::string section = port.server + "\\" + port.name;
        // Modems get the long sessions, ISDN lines are kept for short ones.
        const int limit = port.isdn ? random.Pick(std::vector<int>{1800, 3600, 0})
                                    : random.Pick(std::vector<int>{0, 0, 7200, 3600});
        hw.Write(section, "MaxSessionTime", std::to_string(limit));
        std::string staticIp = "0";
        std::string allowedUsers, allowedGroups;
        if (port.isdn) {
            ++isdnCount;
            if (isdnCount == 1)
                staticIp = PackedAddress(192, 168, 40, 10); // first octet above 127: negative
            if (DemoPortRestricted(port.server, port.name, port.isdn) && port.server != "FLDRAS01")
                allowedGroups = "LQHQ\\Management;LQHQ\\IT;LQHQ\\Dial-in Users\\;";
        }
        if (port.server == "FLDRAS01" && DemoPortRestricted(port.server, port.name, port.isdn)) {
            for (const auto& p : people)
                if (p.domain == "LQFIELD" && p.department == "Service Technicians" && p.CanDialIn())
                    allowedUsers += p.Key() + ";";
        }
        hw.Write(section, "StaticIP", staticIp);
        hw.Write(section, "AllowedUser", Quoted(allowedUsers));
        hw.Write(section, "AllowedGroup", Quoted(allowedGroups));
    }
}

void WriteSettings(ProfileBatch& hw)
{
    hw.Write("General", "Notify1", "300");
    hw.Write("General", "Notify1Text",
             Quoted("Your remote session ends in 5 minutes. Please save your work."));
    hw.Write("General", "Notify2", "60");
    hw.Write("General", "Notify2Text", Quoted("Your remote session ends in 1 minute."));
    hw.Write("Default", "MaxSessionTime", "7200");
    hw.Write("Default", "MaxTotalTime", "0");
    hw.Write("Default", "ExpiryTime", "0");
    hw.Write("Default", "PeriodMax", "72000");
    hw.Write("Default", "PeriodType", "2");
    hw.Write("Default", "NoDuplicate", "1");
    hw.Write("Default", "AssignDefault", "1");
    hw.Write("Greetings", "RuleMask", "5");
    hw.Write("Greetings", "Rule0Text", Quoted("Welcome to Lindqvist Freight remote access."));
    hw.Write("Greetings", "Rule1Text",
             Quoted("The head office network is serviced on Sunday from 06:00 to 10:00."));
    hw.Write("Greetings", "Rule2Text",
             Quoted("Problems? Call the IT helpdesk on extension 2400."));
    hw.Write("Loggers", "HQRAS01", "1");
    hw.Write("Loggers", "FLDRAS01", "1");
    hw.Write("Loggers", "HQRAS03", "1");
}

// The local start of the period that `now` lies in: the day, the week from
// Monday, or the month; as the server component stamps period usage.
std::int64_t PeriodStart(std::int64_t now, int periodType)
{
    std::time_t time = static_cast<std::time_t>(now);
    std::tm local{};
    localtime_r(&time, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    if (periodType == 2)
        local.tm_mday -= (local.tm_wday + 6) % 7;
    else if (periodType == 3)
        local.tm_mday = 1;
    local.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&local));
}

void WriteUsage(ProfileBatch& usr, const std::vector<DemoPerson>& people, std::int64_t now,
                DemoRandom& random)
{
    const auto day = static_cast<std::int64_t>(86400);
    int index = 0;
    for (const auto& p : people) {
        ++index;
        if (!p.CanDialIn())
            continue;
        const std::string s = p.Key();
        const int connects = static_cast<int>(random.Between(3, 140));
        const int total = connects * static_cast<int>(random.Between(600, 2700));
        const std::int64_t first = now - static_cast<std::int64_t>(random.Between(20, 400)) * day;
        const std::int64_t last = now - static_cast<std::int64_t>(random.Between(0, 10 * 86400));
        std::string maxTotal = "0", expiry = "0", staticIp = "0";
        if (DemoOverAllowance(index))
            maxTotal = std::to_string(std::max(600, total - 3600)); // over its allowance
        if (DemoExpired(index))
            expiry = "14"; // first connection long ago: expired
        if (index % 9 == 2)
            staticIp = PackedAddress(10, 1, 30, 10 + index);
        // Usage of the current period (a week where the account has no period
        // of its own): stamped at the period's start, never more than the
        // account's total time nor than the time since the period began.
        const int periodType = p.department == "Field Sales" ? 2 : 0;
        const std::int64_t periodStart = PeriodStart(now, periodType != 0 ? periodType : 2);
        const int periodUsage = static_cast<int>(
            std::min<std::int64_t>({random.Between(0, 20000), total, now - periodStart}));
        usr.Write(s, "StaticIP", staticIp);
        usr.Write(s, "MaxSessionTime", p.department == "Sales" ? "5400" : "0");
        usr.Write(s, "TotalTime", std::to_string(total));
        usr.Write(s, "TotalConnects", std::to_string(connects));
        usr.Write(s, "MaxTotalTime", maxTotal);
        usr.Write(s, "ExpiryTime", expiry);
        usr.Write(s, "PeriodMax", p.department == "Field Sales" ? "36000" : "0");
        usr.Write(s, "PeriodUsage", std::to_string(periodUsage));
        usr.Write(s, "PeriodStamp", std::to_string(periodStart));
        usr.Write(s, "PeriodType", std::to_string(periodType));
        usr.Write(s, "NoDuplicate", random.Chance(70) ? "1" : "0");
        usr.Write(s, "FirstConnection", std::to_string(first));
        usr.Write(s, "LastConnection", std::to_string(last));
        usr.Write(s, "Lasted", std::to_string(random.Between(120, 5400)));
        usr.Write(s, "TotalDenieds", std::to_string(random.Chance(30) ? random.Between(1, 6) : 0));
    }
    const struct {
        const char* section;
        const char* session;
        const char* total;
        const char* noDuplicate;
        const char* periodType;
        const char* periodMax;
    } groups[] = {
        {"+LQHQ\\Sales", "5400", "0", "1", "1", "14400"},
        {"+LQHQ\\Dispatch", "1800", "36000", "1", "0", "0"},
        {"+LQFIELD\\Field Sales", "0", "0", "0", "2", "72000"},
        {"+LQFIELD\\Service Technicians", "3600", "0", "1", "3", "180000"},
    };
    for (const auto& g : groups) {
        usr.Write(g.section, "MaxSessionTime", g.session);
        usr.Write(g.section, "MaxTotalTime", g.total);
        usr.Write(g.section, "NoDuplicate", g.noDuplicate);
        usr.Write(g.section, "PeriodType", g.periodType);
        usr.Write(g.section, "PeriodMax", g.periodMax);
    }
}

} // namespace

bool DemoOverAllowance(int index) { return index % 7 == 3; }

bool DemoExpired(int index) { return index % 11 == 5; }

bool DemoPortRestricted(const std::string& server, const std::string& port, bool isdn)
{
    if (!isdn)
        return false;
    return server == "FLDRAS01" ? port == "ISDN2" : port == "ISDN7" || port == "ISDN8";
}

std::string PackedAddress(int a, int b, int c, int d)
{
    const std::uint32_t packed = (static_cast<std::uint32_t>(a) << 24) |
                                 (static_cast<std::uint32_t>(b) << 16) |
                                 (static_cast<std::uint32_t>(c) << 8) | static_cast<std::uint32_t>(d);
    return std::to_string(static_cast<std::int32_t>(packed));
}

bool WriteDemoDatabase(const std::string& directory, const std::vector<DemoPort>& ports,
                       const std::vector<DemoPerson>& people, std::int64_t now, DemoRandom& random)
{
    ProfileBatch hw(directory + "\\Dialmind.hw");
    WriteSettings(hw);
    WritePorts(hw, ports, people, random);
    ProfileBatch usr(directory + "\\Dialmind.usr");
    WriteUsage(usr, people, now, random);
    return hw.Commit() && usr.Commit();
}

} // namespace dm

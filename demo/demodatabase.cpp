#include "demo/demodatabase.h"

#include "database/groupsettings.h"
#include "database/hardwarefile.h"
#include "database/policyengine.h"
#include "database/userfile.h"
#include "platform/files/profile.h"

#include <algorithm>

namespace dm {

namespace {

void WritePorts(ProfileBatch& hw, const std::vector<DemoPort>& ports,
                const std::vector<DemoPerson>& people, DemoRandom& random)
{
    int isdnCount = 0;
    for (const auto& port : ports) {
        if (!port.managed)
            continue;
        PortSettings settings;
        settings.serverName = port.server;
        settings.portName = port.name;
        // Modems get the long sessions, ISDN lines are kept for short ones.
        settings.maxSessionTime = port.isdn ? random.Pick(std::vector<int>{1800, 3600, 0})
                                            : random.Pick(std::vector<int>{0, 0, 7200, 3600});
        PortAccessLists lists;
        if (port.isdn) {
            ++isdnCount;
            if (isdnCount == 1)
                settings.staticIP = PackedAddress(192, 168, 40, 10); // first octet above 127: negative in the file
            if (DemoPortRestricted(port.server, port.name, port.isdn) && port.server != "FLDRAS01")
                lists.allowedGroups = "LQHQ\\Management;LQHQ\\IT;LQHQ\\Dial-in Users\\;";
        }
        if (port.server == "FLDRAS01" && DemoPortRestricted(port.server, port.name, port.isdn)) {
            for (const auto& p : people)
                if (p.domain == "LQFIELD" && p.department == "Service Technicians" && p.CanDialIn())
                    lists.allowedUsers += p.Key() + ";";
        }
        WritePortSettings(hw, settings);
        WritePortAccessLists(hw, port.server, port.name, lists);
    }
}

void WriteSettings(ProfileBatch& hw)
{
    NotificationSettings notices;
    notices.notices[0] = {300, "Your remote session ends in 5 minutes. Please save your work."};
    notices.notices[1] = {60, "Your remote session ends in 1 minute."};
    WriteNotificationSettings(hw, notices);

    DefaultProfile profile;
    profile.maxSessionTime = 7200;
    profile.periodMax = 72000;
    profile.periodType = PeriodWeek;
    profile.noDuplicate = true;
    profile.assignDefault = true;
    WriteDefaultProfile(hw, profile);

    GreetingRules greetings;
    greetings.rules[0].text = "Welcome to Lindqvist Freight remote access.";
    greetings.rules[1].text = "The head office network is serviced on Sunday from 06:00 to 10:00.";
    greetings.rules[2].text = "Problems? Call the IT helpdesk on extension 2400.";
    greetings.SetRuleMask(5);
    WriteGreetingRules(hw, greetings);

    WriteLoggers(hw, {"HQRAS01", "FLDRAS01", "HQRAS03"});
}

// One account as the server component has kept it: its limits, and the
// counters of the sessions it has made.
UserRecord DemoAccount(const DemoPerson& p, int index, std::int64_t now, DemoRandom& random)
{
    const auto day = static_cast<std::int64_t>(86400);
    UserRecord r;
    r.accountKey = p.Key();
    r.totalConnects = static_cast<std::int32_t>(random.Between(3, 140));
    r.totalTime = r.totalConnects * static_cast<std::int32_t>(random.Between(600, 2700));
    r.firstConnection = static_cast<std::uint32_t>(now - static_cast<std::int64_t>(random.Between(20, 400)) * day);
    r.lastConnection = static_cast<std::uint32_t>(now - static_cast<std::int64_t>(random.Between(0, 10 * 86400)));
    if (DemoOverAllowance(index))
        r.maxTotalTime = std::max(600, r.totalTime - 3600); // over its allowance
    if (DemoExpired(index))
        r.expiryTime = 14; // first connection long ago: expired
    if (index % 9 == 2)
        r.staticIP = PackedAddress(10, 1, 30, 10 + index);
    r.maxSessionTime = p.department == "Sales" ? 5400 : 0;
    if (p.department == "Field Sales") {
        r.periodMax = 36000;
        r.periodType = PeriodWeek;
    }
    // Usage of the current period (a week where the account has no period
    // of its own): stamped at the period's start, never more than the
    // account's total time nor than the time since the period began.
    r.periodStamp = PeriodStart(static_cast<std::uint32_t>(now), r.periodType != PeriodNone ? r.periodType : PeriodWeek);
    r.periodUsage = static_cast<std::int32_t>(std::min<std::int64_t>(
        {random.Between(0, 20000), r.totalTime, now - static_cast<std::int64_t>(r.periodStamp)}));
    r.noDuplicate = random.Chance(70);
    r.lasted = static_cast<std::int32_t>(random.Between(120, 5400));
    r.totalDenieds = static_cast<std::int32_t>(random.Chance(30) ? random.Between(1, 6) : 0);
    return r;
}

GroupSettings DemoGroup(const char* session, const char* total, bool noDuplicate, int periodType,
                        const char* periodMax)
{
    GroupSettings g;
    g.sessionLimitOn = std::string_view(session) != "0";
    g.maxSessionTime = session;
    g.totalLimitOn = std::string_view(total) != "0";
    g.maxTotalTime = total;
    g.allowMultiplePorts = !noDuplicate;
    g.periodLimitOn = periodType != PeriodNone;
    g.periodChoice = periodType - 1;
    g.periodMax = periodMax;
    return g;
}

void WriteUsage(ProfileBatch& usr, const std::vector<DemoPerson>& people, std::int64_t now,
                DemoRandom& random)
{
    int index = 0;
    for (const auto& p : people) {
        ++index;
        if (p.CanDialIn())
            WriteUsageCounters(usr, DemoAccount(p, index, now, random), /*withLimits=*/true);
    }
    WriteGroupSettings(usr, "+LQHQ\\Sales", DemoGroup("5400", "0", true, PeriodDay, "14400"));
    WriteGroupSettings(usr, "+LQHQ\\Dispatch", DemoGroup("1800", "36000", true, PeriodNone, "0"));
    WriteGroupSettings(usr, "+LQFIELD\\Field Sales", DemoGroup("0", "0", false, PeriodWeek, "72000"));
    WriteGroupSettings(usr, "+LQFIELD\\Service Technicians", DemoGroup("3600", "0", true, PeriodMonth, "180000"));
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

std::uint32_t PackedAddress(int a, int b, int c, int d)
{
    return (static_cast<std::uint32_t>(a) << 24) | (static_cast<std::uint32_t>(b) << 16) |
           (static_cast<std::uint32_t>(c) << 8) | static_cast<std::uint32_t>(d);
}

bool WriteDemoDatabase(const std::string& directory, const std::vector<DemoPort>& ports,
                       const std::vector<DemoPerson>& people, std::int64_t now, DemoRandom& random)
{
    ProfileBatch hw(HardwareFileIn(directory));
    WriteSettings(hw);
    WritePorts(hw, ports, people, random);
    ProfileBatch usr(UserFileIn(directory));
    WriteUsage(usr, people, now, random);
    return hw.Commit() && usr.Commit();
}

} // namespace dm

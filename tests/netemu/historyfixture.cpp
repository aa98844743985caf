#include "historyfixture.h"

#include "common/text.h"
#include "netemu/logformat.h"
#include "platform/files/profile.h"
#include "tests/support/tempdir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace dm::netemu::test {

std::vector<CallerProfile> Callers()
{
    auto caller = [](const std::string& name, std::vector<std::string> global, std::vector<std::string> local,
                     double weight) {
        CallerProfile profile;
        profile.identity = CallerIdentity{"DOM\\" + name, std::move(global), std::move(local)};
        profile.weight = weight;
        profile.computerName = UpperAscii(name) + "-PC";
        profile.ipxAddress = name == "joe" ? "0000000A.00C0A8000001" : "";
        return profile;
    };
    return {caller("joe", {}, {}, 3), caller("ann", {}, {}, 1), caller("bob", {}, {}, 2),
            caller("boss", {}, {}, 1), caller("sue", {"DOM\\Sales"}, {}, 2),
            caller("lin", {}, {"RAS1\\Dialers"}, 1), caller("kim", {}, {}, 1.5), caller("tom", {"DOM\\Sales"}, {}, 1)};
}

std::vector<ScannedServer> BuildNetwork(const fs::path& root)
{
    const std::string db1 = (root / "db1").string();
    const std::string db2 = (root / "db2").string();
    fs::create_directories(db1);
    fs::create_directories(db2);
    dm::test::WriteFile(root / "db1" / "Dialmind.hw",
                        "[RAS1\\COM1]\r\nMaxSessionTime=1800\r\nStaticIP=0\r\n"
                        "[RAS1\\COM2]\r\nMaxSessionTime=0\r\n"
                        "[RAS1\\COM3]\r\nAllowedUser=\"DOM\\boss;\"\r\nAllowedGroup=\"DOM\\Sales;RAS1\\Dialers\\;\"\r\n"
                        "[RAS1\\COM4]\r\nStaticIP=-1062731775\r\n"
                        "[General]\r\nNotify1=300\r\nNotify1Text=\"Five minutes left\"\r\nNotify2=60\r\nNotify2Text=\"One minute\"\r\n"
                        "[Default]\r\nMaxSessionTime=3600\r\nMaxTotalTime=0\r\nExpiryTime=0\r\nPeriodMax=7200\r\n"
                        "PeriodType=1\r\nNoDuplicate=1\r\nAssignDefault=1\r\n"
                        "[Greetings]\r\nRuleMask=1\r\nRule0Text=\"Welcome #UNAME\"\r\n");
    const std::string users =
        "[DOM\\joe]\r\nMaxTotalTime=20000\r\nNoDuplicate=1\r\n"
        "[DOM\\ann]\r\nExpiryTime=5\r\n"
        "[DOM\\bob]\r\nPeriodType=1\r\nPeriodMax=1800\r\n"
        "[DOM\\boss]\r\nMaxSessionTime=900\r\nNoDuplicate=1\r\n"
        "[DOM\\sue]\r\nMaxSessionTime=600\r\nNoDuplicate=1\r\n"
        "[DOM\\tom]\r\nMaxSessionTime=2400\r\nNoDuplicate=1\r\n"
        "[+DOM\\Sales]\r\nMaxSessionTime=1200\r\nMaxTotalTime=0\r\nNoDuplicate=1\r\nPeriodType=0\r\nPeriodMax=0\r\n";
    dm::test::WriteFile(root / "db1" / "Dialmind.usr", users);
    dm::test::WriteFile(root / "db2" / "Dialmind.hw",
                        "[RAS2\\ISDN1]\r\nMaxSessionTime=2700\r\n"
                        "[Default]\r\nAssignDefault=0\r\n");
    dm::test::WriteFile(root / "db2" / "Dialmind.usr", users);

    ScannedServer ras1;
    ras1.name = "RAS1";
    ras1.ports = {{"COM1", 28800}, {"COM2", 28800}, {"COM3", 33600}, {"COM4", 33600}};
    ras1.component = {true, "\\\\RAS1\\DM_NT_DB", db1, 0};
    ras1.callers = Callers();
    ScannedServer ras2;
    ras2.name = "RAS2";
    ras2.ports = {{"ISDN1", 64000}, {"ISDN2", 64000}, {"ISDN3", 64000}};
    ras2.component = {true, "\\\\RAS2\\DM_NT_DB", db2, 10};
    ras2.callers = Callers();
    return {ras1, ras2};
}

GenerateOptions Options(std::uint64_t seed, bool legacy)
{
    GenerateOptions options;
    options.days = 21;
    options.endYear = 2026; // across the change to summer time on 29 March
    options.endMonth = 4;
    options.endDay = 5;
    options.seed = seed;
    options.legacy = legacy;
    options.model.callsPerPortPerPeakHour = 2.5;
    options.model.idleShare = 0.15;
    options.model.secondLineShare = 0.08;
    return options;
}

namespace {

void ReadFileRecords(const fs::path& file, std::vector<ReadRecord>& records)
{
    const std::string name = file.string();
    for (const std::string& section : GetPrivateProfileSectionNames(name)) {
        const std::size_t slash = section.rfind('\\');
        for (const auto& [key, value] : GetPrivateProfileSection(section, name)) {
            ReadRecord record;
            record.server = section.substr(0, slash);
            record.port = section.substr(slash + 1);
            record.time = static_cast<std::uint32_t>(std::strtoul(key.c_str(), nullptr, 10));
            record.file = file.filename().string();
            const std::size_t underscore = value.find('_');
            std::string rest = value.substr(underscore + 1);
            if (value[0] == 'C') {
                record.kind = 1;
                record.user = rest;
            } else if (value[0] == 'N') {
                record.kind = 2;
                record.user = rest.substr(0, rest.find('?'));
                record.reason = std::atoi(rest.substr(rest.find('?') + 1).c_str());
            } else {
                record.kind = 0;
                record.duration = std::atoi(value.c_str() + 1);
                std::istringstream fields(rest);
                std::string ip, reason;
                std::getline(fields, record.user, '?');
                std::getline(fields, ip, '?');
                std::getline(fields, reason, ':');
                record.ip = static_cast<std::uint32_t>(std::strtol(ip.c_str(), nullptr, 10));
                record.reason = std::atoi(reason.c_str());
            }
            records.push_back(record);
        }
    }
}

} // namespace

std::vector<ReadRecord> ReadHistory(const fs::path& db, bool legacy)
{
    std::vector<ReadRecord> records;
    if (legacy) {
        ReadFileRecords(db / "Dialmind.log", records);
    } else if (fs::exists(db / "LogData")) {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(db / "LogData"))
            files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files)
            ReadFileRecords(file, records);
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const ReadRecord& a, const ReadRecord& b) { return a.time < b.time; });
    return records;
}

std::vector<Session> PairSessions(const std::vector<ReadRecord>& records)
{
    std::map<std::string, const ReadRecord*> open; // by server\port
    std::vector<Session> sessions;
    for (const ReadRecord& record : records) {
        const std::string port = record.server + "\\" + record.port;
        if (record.kind == 1) {
            open[port] = &record;
        } else if (record.kind == 0) {
            const ReadRecord* connect = open[port];
            Session session{record.server, record.port, record.user,
                            connect ? connect->time : 0, record.time, record.duration, record.reason};
            sessions.push_back(session);
            open.erase(port);
        }
    }
    return sessions;
}

std::map<std::string, std::string> Snapshot(const fs::path& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().extension() != ".lock")
            files[fs::relative(entry.path(), dir).string()] = dm::test::ReadFile(entry.path());
    return files;
}

UsageAt AccountUsageAt(const std::vector<Session>& own, std::uint32_t t, bool inclusive, const Limits& limits)
{
    UsageAt usage;
    const std::uint32_t periodStart = PeriodStart(t, limits.periodType);
    for (const Session& s : own) {
        if (s.start < t || (inclusive && s.start == t))
            usage.firstConnection = usage.firstConnection ? std::min(usage.firstConnection, s.start) : s.start;
        if (inclusive ? s.end > t : s.end >= t)
            continue;
        usage.totalTime += s.duration;
        if (limits.HasPeriodLimit() && s.end >= periodStart)
            usage.periodUsage += s.end - std::max(s.start, periodStart);
    }
    return usage;
}

int PortsHeldAt(const std::vector<Session>& everywhere, const std::string& user, std::uint32_t t, bool inclusive)
{
    int held = 0;
    for (const Session& s : everywhere)
        if (EqualNoCase(s.user, user) && s.start <= t && (inclusive ? s.end > t : s.end >= t))
            ++held;
    return held;
}

} // namespace dm::netemu::test

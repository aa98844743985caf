#include "tests/scaleout/scaleoutcheck.h"

#include "common/activitylog.h"
#include "common/inistore.h"
#include "common/logrecord.h"
#include "common/text.h"
#include "database/policyengine.h"
#include "database/profilevalues.h"
#include "database/userfile.h"
#include "manager/core/usersettings.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "tests/scaleout/processes.h"
#include "tests/support/tempdir.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>
#include <poll.h>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace dm::test {

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Numbered(const std::string& prefix, int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d", n);
    return prefix + text;
}

// "name=value" lines a child leaves for the parent in a local file.
std::map<std::string, std::string> ReadStats(const fs::path& file)
{
    std::map<std::string, std::string> stats;
    std::istringstream in(ReadFile(file));
    for (std::string line; std::getline(in, line);) {
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos)
            stats[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return stats;
}

int StatOf(const std::map<std::string, std::string>& stats, const std::string& name)
{
    const auto it = stats.find(name);
    return it == stats.end() ? -1 : std::atoi(it->second.c_str());
}

// The keys of the two writers of the shared file, checked line by line: a
// whole file as a writer leaves it is "[Keys]" and then each writer's keys
// in the order written, none missing before the last. Empty when whole;
// counts receives each writer's number of keys.
std::string CheckSharedText(const std::string& text, int counts[2])
{
    counts[0] = counts[1] = 0;
    if (text.empty())
        return {};
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)
        return "the file does not end with a whole line";
    std::istringstream in(text);
    std::string line;
    bool header = false;
    while (std::getline(in, line)) {
        if (line.empty() || line.back() != '\r')
            return "a line without CRLF: " + line;
        line.pop_back();
        if (!header) {
            if (line != "[Keys]")
                return "the first line is not [Keys]: " + line;
            header = true;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (line.size() < 3 || line[0] != 'w' || (line[1] != '1' && line[1] != '2') || eq == std::string::npos)
            return "a line no writer wrote: " + line;
        const int writer = line[1] - '1';
        const std::string key = line.substr(0, eq);
        if (line.substr(eq + 1) != "value-" + key)
            return "a value that is not its key's: " + line;
        if (key != Numbered(std::string("w") + line[1] + "-", counts[writer] + 1))
            return "a key out of order (one before it was lost): " + key;
        ++counts[writer];
    }
    return {};
}

void AddFailure(NetworksReport& report, const std::string& failure)
{
    if (report.failures.size() < 20)
        report.failures.push_back(failure);
}

// The network's database as `dmctl net demo` reports it ("database \\NAME\SHARE;").
std::string DemoDatabase(const std::string& output)
{
    const std::size_t at = output.find("database ");
    if (at == std::string::npos)
        return {};
    const std::size_t end = output.find(';', at);
    return output.substr(at + 9, end == std::string::npos ? std::string::npos : end - at - 9);
}

// Restores $DIALMIND_NETWORK when the check ends, however it ends.
class NetworkSwitch {
public:
    NetworkSwitch()
    {
        if (const char* value = std::getenv("DIALMIND_NETWORK"))
            m_saved = value;
    }
    ~NetworkSwitch()
    {
        if (m_saved)
            ::setenv("DIALMIND_NETWORK", m_saved->c_str(), 1);
        else
            ::unsetenv("DIALMIND_NETWORK");
    }
    void Use(const fs::path& root) { ::setenv("DIALMIND_NETWORK", root.c_str(), 1); }

private:
    std::optional<std::string> m_saved;
};

// A demo network whose database directory lies on the volume through the
// given machine's mount. Returns the database's system path, or empty with problem set.
std::string BuildNetworkOn(const fs::path& root, const fs::path& onVolume, NetworkSwitch& network,
                           std::string& problem)
{
    const std::string dmctl = std::string(DM_BIN_DIR) + "/dmctl";
    std::string out;
    // The root already holds the machine's mount, and a demo network is made
    // only in an empty directory: it is made beside it and moved in.
    const fs::path staging = root.string() + "-staging";
    if (RunToEnd(dmctl, {"net", "demo", staging.string()}, 60, out) != 0) {
        problem = "dmctl net demo failed: " + out;
        return {};
    }
    const std::string database = DemoDatabase(out);
    {
        std::error_code moved;
        for (const auto& entry : fs::directory_iterator(staging, moved))
            if (!moved)
                fs::rename(entry.path(), root / entry.path().filename(), moved);
        if (moved) {
            problem = "cannot move the demo network into " + root.string() + ": " + moved.message();
            return {};
        }
    }
    network.Use(root);
    const ResolvedPath local = ResolvePath(database);
    const std::size_t shareAt = database.rfind('\\');
    const std::size_t computerEnd = database.find('\\', 2);
    if (database.rfind("\\\\", 0) != 0 || !local.ok() || shareAt == std::string::npos || computerEnd == shareAt + 1) {
        problem = "no database share in: " + out;
        return {};
    }
    std::error_code ec;
    fs::create_directories(onVolume, ec);
    if (!fs::exists(onVolume / "Dialmind.usr", ec))
        fs::copy(local.path, onVolume, fs::copy_options::recursive, ec);
    if (ec) {
        problem = "cannot copy the database to the volume: " + ec.message();
        return {};
    }
    const std::string computer = database.substr(2, computerEnd - 2);
    const std::string share = database.substr(shareAt + 1);
    if (RunToEnd(dmctl, {"net", "share", computer, share, onVolume.string()}, 30, out) != 0) {
        problem = "dmctl net share failed: " + out;
        return {};
    }
    return database;
}

// Writes one port policy on the manager's side. When dmctl gains
// "policy set", the edit runs through it here: the same key, written as
// the port page writes it.
// The port sheet's Apply, as a script makes it.
bool EditPortPolicy(const std::string& database, const std::string& port, int maxSessionTime, std::string& out)
{
    return RunToEnd(std::string(DM_BIN_DIR) + "/dmctl",
                    {"policy", "set", database, "--port", port, "MaxSessionTime=" + std::to_string(maxSessionTime)},
                    30, out) == 0;
}

} // namespace

SharedFileReport RunTwoWritersAndAReader(const fs::path& machine1, const fs::path& machine2, const fs::path& scratch,
                                         int keysPerWriter)
{
    SharedFileReport report;
    const fs::path stats = scratch / "shared-file";
    fs::create_directories(stats);
    const fs::path onMachine[2] = {machine1 / "shared.ini", machine2 / "shared.ini"};
    const fs::path stop = stats / "stop";

    auto writer = [&](int n) {
        return Child::Function([&, n] {
            int failed = 0;
            std::string first;
            const std::string prefix = std::string("w") + char('1' + n) + "-";
            for (int i = 1; i <= keysPerWriter; ++i) {
                const std::string key = Numbered(prefix, i);
                if (!WritePrivateProfileString("Keys", key, "value-" + key, onMachine[n].string())) {
                    ++failed;
                    if (first.empty())
                        first = "machine " + std::to_string(n + 1) + " could not write " + key;
                }
            }
            WriteFile(stats / ("writer" + std::to_string(n + 1)), "failed=" + std::to_string(failed) + "\nfirst=" + first + "\n");
            return 0;
        });
    };
    // The reader on machine 1 reads the raw file and, every other time, the
    // file as the programs read it (through their cache).
    Child reader = Child::Function([&] {
        int reads = 0, torn = 0, older = 0, last[2] = {0, 0};
        std::string first;
        auto note = [&](int& counter, const std::string& problem) {
            ++counter;
            if (first.empty())
                first = problem;
        };
        std::error_code ec;
        while (!fs::exists(stop, ec)) {
            int counts[2] = {0, 0};
            std::string text;
            const bool exists = reads > 0 && last[0] + last[1] > 0;
            if (reads % 2 == 0) {
                if (ReadWholeFile(onMachine[0], text)) {
                    const std::string problem = CheckSharedText(text, counts);
                    if (!problem.empty())
                        note(torn, "read " + std::to_string(reads) + ": " + problem);
                } else if (exists) {
                    note(torn, "read " + std::to_string(reads) + ": the file could not be read ("
                                   + std::strerror(errno) + ")");
                }
            } else if (auto ini = LoadIniFile(onMachine[0])) {
                for (const std::string& key : ini->KeyNames("Keys"))
                    if (key.size() > 1 && (key[1] == '1' || key[1] == '2'))
                        ++counts[key[1] - '1'];
            }
            for (int w = 0; w < 2; ++w)
                if (counts[w] < last[w])
                    note(older, "read " + std::to_string(reads) + ": writer " + std::to_string(w + 1) + " had "
                                    + std::to_string(last[w]) + " keys, now " + std::to_string(counts[w]));
            last[0] = std::max(last[0], counts[0]);
            last[1] = std::max(last[1], counts[1]);
            ++reads;
        }
        WriteFile(stats / "reader", "reads=" + std::to_string(reads) + "\ntorn=" + std::to_string(torn)
                                        + "\nolder=" + std::to_string(older) + "\nfirst=" + first + "\n");
        return 0;
    });
    Child writers[2] = {writer(0), writer(1)};
    for (Child& w : writers)
        if (!w.Wait(60))
            report.firstProblem = "a writer did not finish within 60 s";
    WriteFile(stop, "");
    if (!reader.Wait(30))
        report.firstProblem = "the reader did not stop";

    report.keysWritten = 2 * keysPerWriter;
    for (int n = 1; n <= 2; ++n) {
        const auto writerStats = ReadStats(stats / ("writer" + std::to_string(n)));
        report.failedWrites += std::max(0, StatOf(writerStats, "failed"));
        if (report.firstProblem.empty() && StatOf(writerStats, "failed") != 0)
            report.firstProblem = writerStats.count("first") ? writerStats.at("first") : "a writer left no report";
    }
    const auto readerStats = ReadStats(stats / "reader");
    report.reads = std::max(0, StatOf(readerStats, "reads"));
    report.tornReads = StatOf(readerStats, "torn");
    report.olderReads = StatOf(readerStats, "older");
    if (report.firstProblem.empty() && readerStats.count("first"))
        report.firstProblem = readerStats.at("first");

    std::string text[2];
    for (int m = 0; m < 2; ++m)
        ReadWholeFile(onMachine[m], text[m]);
    report.sameOnBothMachines = !text[0].empty() && text[0] == text[1];
    const IniFile file(text[1]);
    for (int n = 0; n < 2; ++n)
        for (int i = 1; i <= keysPerWriter; ++i) {
            const std::string key = Numbered(std::string("w") + char('1' + n) + "-", i);
            const auto value = file.Value("Keys", key);
            if (value && *value == "value-" + key)
                ++report.keysKept;
            else if (report.firstProblem.empty())
                report.firstProblem = "lost: " + key;
        }
    return report;
}

NetworksReport RunServerAndManagerNetworks(const fs::path& machine1, const fs::path& machine2, const fs::path& scratch,
                                           double seconds)
{
    NetworksReport report;
    NetworkSwitch network;
    // Each network's root holds its machine's mount, as a share may only
    // lead to a directory inside the network. Both networks name the
    // database alike ("\\HQRAS01\DM_NT_DB"); their shares lead to one
    // directory of the volume through different machines.
    const fs::path serverNet = machine1.parent_path(), managerNet = machine2.parent_path();
    if (BuildNetworkOn(serverNet, machine1 / "DM_NT_DB", network, report.problem).empty())
        return report;
    const std::string database = BuildNetworkOn(managerNet, machine2 / "DM_NT_DB", network, report.problem);
    if (database.empty())
        return report;
    std::error_code ec;
    if (!fs::is_empty(machine2 / "DM_NT_DB" / "LogData", ec)) {
        report.problem = "the demo database already holds logs";
        return report;
    }
    const std::string userFile = database + "\\Dialmind.usr", hardwareFile = database + "\\Dialmind.hw";
    const UserDatabase before = LoadUserDatabase(userFile);
    std::vector<std::string> ports;
    for (const std::string& section : GetPrivateProfileSectionNames(hardwareFile))
        if (section.find('\\') != std::string::npos)
            ports.push_back(section);
    if (before.accounts.empty() || ports.empty()) {
        report.problem = "the demo database has no accounts or no ports";
        return report;
    }

    // The servers: every RAS server of the server network, an hour a second.
    const fs::path simOutput = scratch / "dmsim.out";
    Child sim = Child::Program(std::string(DM_BIN_DIR) + "/dmsim",
                               {"run", "--network", serverNet.string(), "--speed", "3600", "--seed", "30"}, simOutput,
                               {"DIALMIND_NETWORK=" + serverNet.string()});

    // The manager on the manager network: its refresh reloads the users when
    // the file changed and the logs of every day; its editors save what the
    // person changed.
    UserSettings users;
    users.SetFile(UserSettings::FileNameIn(database));
    ActivityLog log(ResolvePathOrEmpty);
    log.SetDatabaseDirectory(database);
    std::map<std::string, UserRecord> seen;       // lower-case key -> counters of the last load
    std::size_t logRecordsSeen = 0;
    std::map<std::string, int> expectedExpiry;    // lower-case account -> last value saved
    std::map<std::string, int> expectedPortLimit; // port section -> last value written
    const Clock::time_point start = Clock::now();
    double nextLogLoad = 0, nextAccountEdit = 0.2, nextPortEdit = 0.5;
    while (Since(start) < seconds) {
        if (auto status = sim.Wait(0)) {
            report.problem = "dmsim ended early (" + std::to_string(*status) + "): " + ReadFile(simOutput);
            return report;
        }
        if (users.Load()) {
            ++report.managerReads;
            std::map<std::string, UserRecord> now;
            for (const UserRecord& record : users.Records())
                now.emplace(LowerAscii(record.accountKey), record);
            for (const auto& [key, old] : seen) {
                const auto it = now.find(key);
                const bool back = it == now.end() || it->second.totalConnects < old.totalConnects
                                  || it->second.totalTime < old.totalTime || it->second.totalDenieds < old.totalDenieds;
                if (back) {
                    ++report.readsWentBack;
                    if (report.firstWentBack.empty())
                        report.firstWentBack = "load " + std::to_string(report.managerReads) + ": " + key
                                               + (it == now.end() ? " vanished" : " has fewer counts than before");
                }
            }
            seen = std::move(now);
        }
        if (Since(start) >= nextLogLoad) {
            nextLogLoad += 0.5;
            log.LoadScope(4, static_cast<std::uint32_t>(std::time(nullptr)));
            ++report.managerReads;
            if (log.Count() < logRecordsSeen) {
                ++report.readsWentBack;
                if (report.firstWentBack.empty())
                    report.firstWentBack = "the logs held " + std::to_string(logRecordsSeen) + " records, then "
                                           + std::to_string(log.Count());
            }
            logRecordsSeen = std::max(logRecordsSeen, log.Count());
        }
        if (Since(start) >= nextAccountEdit && !users.Records().empty()) {
            // The user page: a new expiry for one account, saved as the sheet saves.
            nextAccountEdit += 0.3;
            UserRecord& record = users.Records()[static_cast<std::size_t>(report.accountEdits) % users.Records().size()];
            if (before.FindAccount(record.accountKey)) {
                record.expiryTime = 5000 + report.accountEdits;
                if (users.Save())
                    expectedExpiry[LowerAscii(record.accountKey)] = record.expiryTime;
                else
                    AddFailure(report, "the manager could not save " + record.accountKey);
            }
            ++report.accountEdits;
        }
        if (Since(start) >= nextPortEdit) {
            nextPortEdit += 0.8;
            const std::string& port = ports[static_cast<std::size_t>(report.portEdits) % ports.size()];
            const int value = 3600 + 60 * report.portEdits;
            std::string out;
            if (EditPortPolicy(database, port, value, out))
                expectedPortLimit[port] = value;
            else
                AddFailure(report, "the edit of " + port + " failed: " + out);
            ++report.portEdits;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

    sim.Signal(SIGTERM);
    const std::optional<int> simStatus = sim.Wait(30);
    const std::string simSaid = ReadFile(simOutput);
    if (!simStatus || *simStatus != 0)
        AddFailure(report, "dmsim did not stop cleanly: " + simSaid);
    std::istringstream said(simSaid);
    for (std::string line; std::getline(said, line);)
        if (line.rfind("dmsim: running", 0) != 0 && line != "dmsim: stopped")
            AddFailure(report, "dmsim: " + line);

    // Both machines see one file; the manager's view is machine 2's.
    std::string onMachine1, onMachine2;
    ReadWholeFile(machine1 / "DM_NT_DB" / "Dialmind.usr", onMachine1);
    ReadWholeFile(machine2 / "DM_NT_DB" / "Dialmind.usr", onMachine2);
    if (onMachine1 != onMachine2)
        AddFailure(report, "the two machines see different user files");
    const UserDatabase after = LoadUserDatabase(userFile);
    log.LoadScope(4, static_cast<std::uint32_t>(std::time(nullptr)));

    struct Logged {
        int connects = 0, denials = 0;
        std::int64_t time = 0;
    };
    std::map<std::string, Logged> logged;
    for (const LogRecord& record : log.Records()) {
        Logged& entry = logged[UpperAscii(record.user)];
        if (record.kind == kLogConnect) {
            ++entry.connects;
            ++report.connects;
        } else if (record.kind == kLogSessionEnd) {
            entry.time += record.duration;
            ++report.sessionEnds;
        } else {
            ++report.denials;
            if (record.reason != DenyNotDefined)
                ++entry.denials;
        }
    }
    for (const auto& [key, record] : after.accounts) {
        const UserRecord* old = before.FindAccount(key);
        const UserRecord zero;
        const UserRecord& base = old ? *old : zero;
        const Logged& entry = logged[key];
        ++report.accounts;
        if (record.totalConnects - base.totalConnects == entry.connects
            && std::int64_t(record.totalTime) - base.totalTime == entry.time
            && record.totalDenieds - base.totalDenieds == entry.denials) {
            ++report.accountsMatching;
        } else if (report.firstMismatch.empty()) {
            report.firstMismatch = key + ": counters grew by " + std::to_string(record.totalConnects - base.totalConnects)
                                   + " connects, " + std::to_string(record.totalTime - base.totalTime) + " s, "
                                   + std::to_string(record.totalDenieds - base.totalDenieds) + " denials; the logs hold "
                                   + std::to_string(entry.connects) + ", " + std::to_string(entry.time) + " s, "
                                   + std::to_string(entry.denials);
        }
    }
    // Every edit holds, read back on the server network's side.
    network.Use(serverNet);
    const UserDatabase serverView = LoadUserDatabase(userFile);
    for (const auto& [key, value] : expectedExpiry) {
        ++report.editedKeys;
        const UserRecord* record = serverView.FindAccount(key);
        if (record && record->expiryTime == value)
            ++report.editedKeysHeld;
        else if (report.firstLostEdit.empty())
            report.firstLostEdit = key + " ExpiryTime " + std::to_string(value) + " lost";
    }
    for (const auto& [port, value] : expectedPortLimit) {
        ++report.editedKeys;
        if (GetPrivateProfileString(port, "MaxSessionTime", "", hardwareFile) == std::to_string(value))
            ++report.editedKeysHeld;
        else if (report.firstLostEdit.empty())
            report.firstLostEdit = port + " MaxSessionTime " + std::to_string(value) + " lost";
    }
    return report;
}

KilledWriterReport RunKilledWriters(const fs::path& machine1, const fs::path& machine2)
{
    KilledWriterReport report;
    const fs::path held1 = machine1 / "killed.ini", held2 = machine2 / "killed.ini";
    if (!WritePrivateProfileString("Held", "before", "1", held1.string())) {
        report.problem = "cannot write " + held1.string();
        return report;
    }
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        report.problem = "no pipe";
        return report;
    }
    // Killed inside its read-modify-write, with the lock held.
    Child holder = Child::Function([&] {
        ::close(pipeFds[0]);
        UpdateIniFile(held1, [&](IniFile& ini) {
            ini.Write("Held", "killed", "1");
            const char held = 'L';
            if (::write(pipeFds[1], &held, 1) != 1)
                return false;
            for (;;)
                ::pause();
            return true;
        });
        return 1;
    });
    ::close(pipeFds[1]);
    struct pollfd ready {pipeFds[0], POLLIN, 0};
    char signal = 0;
    const bool locked = ::poll(&ready, 1, 30000) == 1 && ::read(pipeFds[0], &signal, 1) == 1 && signal == 'L';
    ::close(pipeFds[0]);
    if (!locked) {
        report.problem = "the writer on machine 1 did not take the lock within 30 s";
        return report;
    }
    Child other = Child::Function([&] { return WritePrivateProfileString("Held", "after", "1", held2.string()) ? 0 : 1; });
    report.lockHeldAcrossMounts = !other.Wait(1.0).has_value();
    const Clock::time_point kill = Clock::now();
    holder.Signal(SIGKILL);
    holder.Wait(10);
    const std::optional<int> wrote = other.Wait(30);
    report.wroteAfterKill = wrote && *wrote == 0;
    report.secondsToWriteAfterKill = Since(kill);
    report.killedKeyWritten = !GetPrivateProfileString("Held", "killed", "", held2.string()).empty();
    if (GetPrivateProfileString("Held", "before", "", held1.string()) != "1"
        || GetPrivateProfileString("Held", "after", "", held1.string()) != "1")
        report.detail = "machine 1 does not see both writes that succeeded";

    // Killed at a random point of a burst: before, within or after its replace.
    const fs::path burst1 = machine1 / "burst.ini", burst2 = machine2 / "burst.ini";
    Child killed = Child::Function([&] {
        for (int i = 1;; ++i) {
            const std::string key = Numbered("k", i);
            WritePrivateProfileString("Killed", key, key, burst1.string());
        }
        return 0;
    });
    constexpr int kBurst = 40;
    Child survivor = Child::Function([&] {
        int failed = 0;
        for (int i = 1; i <= kBurst; ++i)
            failed += WritePrivateProfileString("Other", Numbered("o", i), "1", burst2.string()) ? 0 : 1;
        return failed;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    killed.Signal(SIGKILL);
    killed.Wait(10);
    const std::optional<int> survived = survivor.Wait(60);
    int failed = survived ? *survived : kBurst;
    for (int i = kBurst + 1; i <= 2 * kBurst; ++i)
        failed += WritePrivateProfileString("Other", Numbered("o", i), "1", burst2.string()) ? 0 : 1;
    report.burstKeysWritten = 2 * kBurst;
    if (failed != 0)
        report.detail = std::to_string(failed) + " writes of machine 2 failed";

    std::string text;
    ReadWholeFile(burst1, text);
    const IniFile file(text);
    for (int i = 1; i <= 2 * kBurst; ++i)
        report.burstKeysKept += file.Value("Other", Numbered("o", i)) ? 1 : 0;
    const std::vector<std::string> keys = file.KeyNames("Killed");
    report.killedWriterKeys = static_cast<int>(keys.size());
    report.killedWriterPrefixWhole = true;
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i] != Numbered("k", static_cast<int>(i) + 1)) {
            report.killedWriterPrefixWhole = false;
            report.detail = "the killed writer's keys have a gap before " + keys[i];
            break;
        }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(machine1, ec))
        if (entry.path().extension() == ".tmp")
            ++report.leftoverTemporaryFiles;
    return report;
}

} // namespace dm::test

// The manager's loaders and the editors' value checks on arbitrary database
// files. The input is split at lines "====" into Dialmind.usr, Dialmind.hw
// and one day file of LogData, written into a database directory of a
// temporary network; then the document's components load them and every
// record goes through what the views and sheets compute from it.
//
// What must hold whatever the files say:
// - nothing crashes or overflows (the sanitizers stop the run);
// - a limits form shown from stored values and read back untouched gives
//   those values again and changes no key;
// - a group's form reads back as its limits;
// - a field's text the checks take is a value its key holds;
// - the history table and the usage graph cover every loaded record.

#include "common/activitylog.h"
#include "common/logrecord.h"
#include "database/greeting.h"
#include "database/groupsettings.h"
#include "database/limitsform.h"
#include "database/policyform.h"
#include "manager/core/checkaccess.h"
#include "manager/core/greetingpreview.h"
#include "manager/core/hardwaresettings.h"
#include "manager/core/historycolumns.h"
#include "manager/core/historytable.h"
#include "manager/core/historytexts.h"
#include "manager/core/usagestatistics.h"
#include "manager/core/usersettings.h"
#include "manager/core/userstable.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <string_view>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

constexpr const char* kDatabase = "C:\\Dialmind";
// A fixed day, so that the day file's name is known: 2001-May-10 12:00 UTC.
constexpr std::uint32_t kDay = 989496000;

struct Setup {
    std::filesystem::path root;
    std::filesystem::path db;
    std::filesystem::path dayFile;
};

const Setup& TheSetup()
{
    static const Setup setup = [] {
        Setup s;
        char pattern[] = "/tmp/dm-fuzz-loaders-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        Check(made != nullptr);
        s.root = made;
        ::setenv("DIALMIND_NETWORK", (s.root / "network").c_str(), 1);
        ::setenv("DIALMIND_COMPUTERNAME", "FUZZHOST", 1);
        ::setenv("TZ", "UTC", 1);
        dm::Network::Root();
        s.db = dm::ResolvePath(kDatabase).path;
        std::filesystem::create_directories(s.db / "LogData");
        s.dayFile = dm::ResolvePathOrEmpty(dm::DayLogPath(kDatabase, kDay));
        Check(!s.dayFile.empty());
        return s;
    }();
    return setup;
}

// Each write carries a later modification time than the one before, so that
// no cache of the profile store takes a new input for the last one.
void WriteInput(const std::filesystem::path& path, std::string_view text)
{
    static std::int64_t clock = 1000000000;
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    ++clock;
    const struct timespec times[2] = {{clock, 0}, {clock, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

std::vector<std::string_view> SplitInput(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t mark = text.find("\n====\n");
        if (mark == std::string_view::npos || parts.size() == 2) {
            parts.push_back(text);
            break;
        }
        parts.push_back(text.substr(0, mark));
        text.remove_prefix(mark + 6);
    }
    while (parts.size() < 3)
        parts.emplace_back();
    return parts;
}

// Stored values shown in the limits form and read back untouched are the
// stored values: no key counts as changed.
void CheckLimitsForm(const dm::FormLimits& stored)
{
    const dm::LimitsEntry shown = dm::ShowLimits(stored);
    const dm::LimitsReading untouched = dm::ReadLimits(shown, stored);
    Check(untouched.ok);
    Check(untouched.limits == stored);
    Check(untouched.changedKeys.empty());
    // Every box switched off: a form of no limits, whatever was stored.
    dm::LimitsEntry cleared = shown;
    cleared.on = {};
    const dm::LimitsReading none = dm::ReadLimits(cleared, stored);
    Check(none.ok);
    for (int field = 0; field < dm::LimitFieldCount; ++field)
        if (shown.on[static_cast<std::size_t>(field)])
            Check(none.limits[static_cast<dm::LimitField>(field)] == 0);
    for (int field = 0; field < dm::LimitFieldCount; ++field)
        dm::CheckLimitText(static_cast<dm::LimitField>(field), shown.text[static_cast<std::size_t>(field)]);
}

void CheckPolicyValues(dm::PolicyEditor editor, const dm::PolicyValues& values)
{
    for (const auto& [name, value] : values)
        dm::CheckPolicyValue(editor, name, value);
}

void RunUsers(const std::string& userFile, std::uint32_t now)
{
    dm::UserSettings users;
    users.SetFile(userFile);
    users.Load();
    const std::vector<dm::UserRecord>& records = users.Records();
    std::vector<int> rows;
    for (const dm::UserRecord& record : records) {
        rows.push_back(static_cast<int>(rows.size()));
        dm::UserLimitState(record, now);
        dm::UserRowTexts(record);
        CheckPolicyValues(dm::PolicyEditor::User, dm::PolicyValuesOf(record));
        const dm::FormLimits stored = dm::FormLimitsOf(record);
        CheckLimitsForm(stored);
        dm::UserRecord copy = record;
        dm::SetFormLimits(copy, stored);
        Check(dm::FormLimitsOf(copy) == stored);

        const std::optional<dm::UserRecord> again = users.ReadAccount(record.accountKey);
        if (again)
            dm::FormLimitsOf(*again);
    }
    for (int column = 0; column < dm::UsersColumnCount; ++column)
        dm::SortUserRows(rows, records, column, column % 2 == 0 ? 1 : -1);
    dm::UsersCsv(records, rows);
}

void RunGroups(const std::string& userFile, std::string_view text)
{
    // Section names as the file gives them; the group page loads those with "+".
    std::size_t at = 0;
    int seen = 0;
    while ((at = text.find("[+", at)) != std::string_view::npos && seen < 16) {
        const std::size_t end = text.find(']', at);
        if (end == std::string_view::npos)
            break;
        const std::string section(text.substr(at + 1, end - at - 1));
        at = end;
        ++seen;
        if (section.find_first_of("\r\n") != std::string::npos)
            continue;
        const dm::GroupSettings settings = dm::LoadGroupSettings(userFile, section);
        const dm::FormLimits limits = dm::FormLimitsOf(settings);
        CheckLimitsForm(limits);
        CheckPolicyValues(dm::PolicyEditor::Group, dm::PolicyValuesOf(dm::GroupLimitsOf(settings)));
    }
}

void RunHardware(const std::string& hardwareFile)
{
    dm::HardwareSettings hardware;
    hardware.SetFile(hardwareFile);
    hardware.Load();
    for (const dm::PortSettings& port : hardware.Ports()) {
        const dm::PortAccessLists lists = hardware.ReadPortAccessLists(port.serverName, port.portName);
        CheckPolicyValues(dm::PolicyEditor::Port, dm::PolicyValuesOf(port, lists));
        hardware.ReadPort(port.serverName, port.portName);
    }
    CheckLimitsForm(dm::FormLimitsOf(hardware.Default()));
    CheckPolicyValues(dm::PolicyEditor::Default, dm::PolicyValuesOf(hardware.Default()));
    CheckPolicyValues(dm::PolicyEditor::Notifications, dm::PolicyValuesOf(hardware.Notifications()));
    CheckPolicyValues(dm::PolicyEditor::Greetings, dm::PolicyValuesOf(hardware.Greetings()));

    // The preview with the sample and with the extremes of every number.
    dm::PreviewGreeting(hardware.Greetings(), dm::SampleGreetingValues());
    dm::GreetingValues extreme;
    extreme.userName = std::string(300, 'x');
    extreme.portMaxSession = std::numeric_limits<std::int32_t>::min();
    extreme.userMaxSession = std::numeric_limits<std::int32_t>::max();
    extreme.userMaxTotal = -1;
    extreme.userCurrentTotal = std::numeric_limits<std::int32_t>::min();
    dm::PreviewGreeting(hardware.Greetings(), extreme);
}

void RunLog()
{
    dm::ActivityLog log([](std::string_view path) { return dm::ResolvePathOrEmpty(path); });
    log.SetDatabaseDirectory(kDatabase);
    log.SetClock([] { return kDay; });
    log.LoadRange(kDay, kDay);

    dm::HistoryTable table;
    table.SetColumns(dm::kHistoryAllColumns, false);
    table.Fill(log.Records(), dm::HistoryFilter());
    Check(table.RowCount() == static_cast<int>(log.Count()));
    for (int row = 0; row < table.RowCount(); ++row) {
        for (int column = 0; column < table.ColumnCount(); ++column)
            table.CellText(row, column);
        const dm::LogRecord* record = table.Record(row);
        Check(record != nullptr);
        dm::HistoryIconOf(*record);
        dm::HistoryCellText(*record, dm::HistoryColumn::Lasted, true);
    }
    for (int column = 0; column < table.ColumnCount(); ++column)
        table.Sort(column, column % 2 == 0 ? 1 : -1);
    table.SavedText();

    std::vector<std::string> labels;
    for (const dm::LogRecord& record : log.Records()) {
        std::string label = record.server + "\\" + record.port;
        if (labels.size() < 8 && std::find(labels.begin(), labels.end(), label) == labels.end())
            labels.push_back(std::move(label));
    }
    dm::UsageStatistics usage;
    usage.SetEntries(labels);
    usage.Compute(log.Records(), dm::TimeSpan{log.TodayStart(), log.TodayEnd()}, {}, kDay);
    std::vector<dm::BarColumn> bar;
    for (std::size_t entry = 0; entry < usage.Count(); ++entry) {
        const int busy = usage.BusyPercent(entry);
        Check(busy >= 0 && busy <= 100);
        usage.Bar(entry, 120, bar);
    }
    usage.CsvText();
}

void RunExplain(const std::string& userFile)
{
    // The first two accounts of the file, as Check Access explains them.
    dm::UserSettings users;
    users.SetFile(userFile);
    users.Load();
    std::size_t explained = 0;
    for (const dm::UserRecord& record : users.Records()) {
        if (explained++ == 2)
            break;
        dm::CallerIdentity caller;
        caller.account = record.accountKey;
        caller.globalGroups = {"DOM\\Staff"};
        dm::ExplainCaller(kDatabase, caller, "RAS1", "COM1", kDay, 1);
        dm::ExplainCaller(kDatabase, caller, "RAS1", "COM1", std::numeric_limits<std::uint32_t>::max(), 0);
    }
}

// Every NAME=VALUE line of the input as a person might type it into any
// editor's field: the checks refuse or take it, and what they take reads
// back as a value the field holds.
void RunValueChecks(std::string_view text)
{
    int lines = 0;
    while (!text.empty() && lines++ < 64) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view name = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        for (dm::PolicyEditor editor : {dm::PolicyEditor::User, dm::PolicyEditor::Group, dm::PolicyEditor::Port,
                                        dm::PolicyEditor::Default, dm::PolicyEditor::Notifications,
                                        dm::PolicyEditor::Greetings})
            dm::CheckPolicyValue(editor, name, value);
        for (int field = 0; field < dm::LimitFieldCount; ++field) {
            const auto limit = static_cast<dm::LimitField>(field);
            const dm::LimitCheck check = dm::CheckLimitText(limit, value);
            if (check.value)
                Check(*check.value >= 0 && *check.value <= dm::LimitFieldOf(limit).largest);
            else
                Check(!check.message.empty());
        }
        if (const auto amount = dm::ParseAmount(value))
            Check(*amount >= 0 && *amount <= dm::kLargestAmount);
        dm::CutToCharacters(std::string(value), 3);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Setup& setup = TheSetup();
    const std::vector<std::string_view> parts =
        SplitInput(std::string_view(reinterpret_cast<const char*>(data), size));
    WriteInput(setup.db / "Dialmind.usr", parts[0]);
    WriteInput(setup.db / "Dialmind.hw", parts[1]);
    WriteInput(setup.dayFile, parts[2]);

    const std::string userFile = std::string(kDatabase) + "\\Dialmind.usr";
    const std::string hardwareFile = std::string(kDatabase) + "\\Dialmind.hw";
    RunUsers(userFile, kDay);
    RunUsers(userFile, std::numeric_limits<std::uint32_t>::max());
    RunGroups(userFile, parts[0]);
    RunHardware(hardwareFile);
    RunLog();
    RunExplain(userFile);
    RunValueChecks(parts[0]);
    RunValueChecks(parts[1]);
    return 0;
}

#include "tests/reports/reportdatabase.h"

#include "common/timeformat.h"
#include "platform/files/network.h"

#include <cstdlib>
#include <fstream>

namespace dm::test {

std::time_t GoldenNow()
{
    return LocalTimeOf(2026, 3, 18, 15, 0, 0);
}

ReportDatabase::ReportDatabase()
{
    // The share lies on the test computer's drive, as every share must; a
    // folder named after the temporary directory keeps tests apart.
    const std::filesystem::path computer = Network::AddComputer("TESTHOST");
    const std::string folder = m_root.path().filename().string();
    m_db = computer / "drives" / "C" / folder / "master";
    m_work = m_root / "work";
    std::filesystem::create_directories(m_db / "LogData");
    std::filesystem::create_directories(m_work);
    WriteFile(computer / "shares.ini", "[Shares]\r\nDM_NT_DB=C:\\" + folder + "\\master\r\n");
}

ReportDatabase::~ReportDatabase()
{
    std::error_code ec;
    std::filesystem::remove_all(m_db.parent_path(), ec);
}

namespace {

void Append(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << text;
}

std::string Line(std::uint32_t time, const std::string& value)
{
    return std::to_string(time) + "=" + value + "\r\n";
}

} // namespace

void ReportDatabase::AddDayFile(const std::string& date, const std::string& text)
{
    Append(m_db / "LogData" / (date + ".log"), text);
}

void ReportDatabase::AddLegacyLog(const std::string& text)
{
    Append(m_db / "Dialmind.log", text);
}

void ReportDatabase::AddPortStat(const std::string& text)
{
    Append(m_db / "portstat.log", text);
}

void ReportDatabase::FillStandard()
{
    // February: outside every period but "all".
    AddDayFile("2026-Feb-27", "[RAS1\\COM1]\r\n" +
                                  Line(LocalTimeOf(2026, 2, 27, 9, 0, 0), "C_DOM\\joe") +
                                  Line(LocalTimeOf(2026, 2, 27, 10, 0, 0), "H600_DOM\\joe?0") +
                                  Line(LocalTimeOf(2026, 2, 27, 11, 0, 0), "N_DOM\\eve?1"));
    // The 1st: one session in the first minute (outside "This month").
    AddDayFile("2026-Mar-01", "[RAS1\\COM2]\r\n" +
                                  Line(LocalTimeOf(2026, 3, 1, 0, 0, 30), "H100_DOM\\ann?0") +
                                  Line(LocalTimeOf(2026, 3, 1, 0, 5, 0), "H200_DOM\\ann?0") +
                                  Line(LocalTimeOf(2026, 3, 1, 9, 0, 0), "N_DOM\\bob?2"));
    // Inside the custom period 10th 12:00 .. 17th 12:00.
    AddDayFile("2026-Mar-10", "[RAS2\\COM1]\r\n" +
                                  Line(LocalTimeOf(2026, 3, 10, 13, 0, 0),
                                       "H3725_DOM\\Smith?3232235521?2:0000000A.00C0A8000001:SMITHPC") +
                                  Line(LocalTimeOf(2026, 3, 10, 14, 0, 0), "N_DOM\\eve?4"));
    // Monday: the first minute lies outside "This week".
    AddDayFile("2026-Mar-16", "[RAS1\\COM1]\r\n" +
                                  Line(LocalTimeOf(2026, 3, 16, 0, 0, 30), "H50_DOM\\joe?0") +
                                  Line(LocalTimeOf(2026, 3, 16, 8, 0, 0), "H1800_DOM\\SMITH?0") +
                                  Line(LocalTimeOf(2026, 3, 16, 8, 30, 0), "N_DOM\\mallory?5") +
                                  "[ras1\\com2]\r\n" +
                                  Line(LocalTimeOf(2026, 3, 16, 9, 0, 0), "H59_DOM\\ann?0"));
    // Today.
    AddDayFile("2026-Mar-18", "[RAS1\\COM1]\r\n" +
                                  Line(LocalTimeOf(2026, 3, 18, 0, 0, 30), "H30_DOM\\joe?0") +
                                  Line(LocalTimeOf(2026, 3, 18, 0, 1, 1), "H61_DOM\\joe?0") +
                                  Line(LocalTimeOf(2026, 3, 18, 10, 0, 0), "C_DOM\\smith") +
                                  Line(LocalTimeOf(2026, 3, 18, 11, 0, 0), "H3600_DOM\\smith?0") +
                                  "[RAS2\\COM1]\r\n" +
                                  Line(LocalTimeOf(2026, 3, 18, 10, 30, 0), "N_DOM\\eve?6") +
                                  Line(LocalTimeOf(2026, 3, 18, 12, 0, 0), "N_DOM\\eve") +
                                  Line(LocalTimeOf(2026, 3, 18, 12, 30, 0), "H120_DOM\\ann?0"));
    // Tomorrow: only "all" sees it.
    AddDayFile("2026-Mar-19", "[RAS1\\COM1]\r\n" +
                                  Line(LocalTimeOf(2026, 3, 19, 9, 0, 0), "H999_DOM\\zed?0"));
    // The legacy single log of an older installation.
    AddLegacyLog("[OLDRAS\\COM1]\r\n" + Line(LocalTimeOf(1997, 12, 5, 9, 0, 0), "H7200_DOM\\joe?0") +
                 Line(LocalTimeOf(1997, 12, 5, 10, 0, 0), "N_DOM\\old?1") +
                 Line(LocalTimeOf(2026, 3, 18, 9, 0, 0), "H45_DOM\\legacy?0"));
    // Busy ports per hour.
    AddPortStat("[RAS1]\r\n" + Line(LocalTimeOf(2026, 2, 27, 10, 0, 0), "1") +
                Line(LocalTimeOf(2026, 3, 1, 0, 0, 0), "2") +
                Line(LocalTimeOf(2026, 3, 16, 9, 0, 0), "3") +
                Line(LocalTimeOf(2026, 3, 18, 0, 0, 0), "1") +
                Line(LocalTimeOf(2026, 3, 18, 9, 0, 0), "4") +
                Line(LocalTimeOf(2026, 3, 18, 10, 0, 0), "") +
                Line(LocalTimeOf(2026, 3, 18, 11, 0, 0), "*") +
                "[RAS2]\r\n" + Line(LocalTimeOf(2026, 3, 12, 14, 0, 0), "2") +
                Line(LocalTimeOf(2026, 3, 18, 14, 0, 0), "1"));
}

std::string Golden(const std::string& name, const std::string& actual)
{
    const std::filesystem::path path = std::filesystem::path(DM_TESTDATA_DIR) / "reports" / name;
    const char* update = std::getenv("DM_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        WriteFile(path, actual);
        return actual;
    }
    return ReadFile(path);
}

} // namespace dm::test

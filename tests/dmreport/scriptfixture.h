#pragma once
// A report database with a scratch working directory that the test runs in,
// and report scripts written into it.

#include "tests/reports/reportdatabase.h"

#include <filesystem>
#include <string>

namespace dm::test {

class ScriptFixture {
public:
    ScriptFixture() : m_previous(std::filesystem::current_path())
    {
        m_db.FillStandard();
        std::filesystem::current_path(m_db.WorkDirectory());
    }
    ~ScriptFixture() { std::filesystem::current_path(m_previous); }
    ScriptFixture(const ScriptFixture&) = delete;
    ScriptFixture& operator=(const ScriptFixture&) = delete;

    ReportDatabase& Db() { return m_db; }
    std::filesystem::path Work() const { return m_db.WorkDirectory(); }

    // A [Settings] section with the given "key=value" lines, in the work
    // directory.
    std::filesystem::path WriteScript(const std::string& name, const std::string& lines)
    {
        const std::filesystem::path path = Work() / name;
        WriteFile(path, "[Settings]\r\n" + lines);
        return path;
    }
    // The lines the manager writes for a report into out.csv.
    std::string Settings(int reportType, int periodType, int print = 0,
                         const std::string& fileName = "out.csv") const
    {
        return "FileName=" + fileName + "\r\nReportType=" + std::to_string(reportType) +
               "\r\nTimePeriodType=" + std::to_string(periodType) +
               "\r\nPrintReport=" + std::to_string(print) + "\r\nMasterShare=" + m_db.Directory() +
               "\r\n";
    }

private:
    std::filesystem::path m_previous;
    ReportDatabase m_db;
};

} // namespace dm::test

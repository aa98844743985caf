#pragma once
// What the manager's report dialogs decide, without Qt: the time period with
// its custom bounds and their day steps, the report request and script that
// the document's selection stands for, and the pacing of progress texts that
// a report run sends to the user-interface thread.

#include "manager/core/reportsettings.h"
#include "reports/reportrun.h"
#include "reports/reportscript.h"

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>

namespace dm {

// The Time Period dialog's state: the period type and the custom bounds.
class TimePeriodChoice {
public:
    TimePeriodChoice(int periodType, std::uint32_t from, std::uint32_t to)
        : m_type(periodType), m_from(from), m_to(to) {}

    // Types 1 to 4 disable the custom bounds; type 5 enables them, and the
    // first time (From still 0) they become today 00:01:00 to 23:59:59.
    void Select(int periodType, std::uint32_t now);
    bool CustomEnabled() const { return m_type == PeriodCustom; }

    // Moves a bound by whole calendar days (negative = earlier). A step that
    // would put From after To is refused: false, and nothing changes.
    bool StepFrom(int days);
    bool StepTo(int days);

    int PeriodType() const { return m_type; }
    std::uint32_t From() const { return m_from; }
    std::uint32_t To() const { return m_to; }

private:
    int m_type;
    std::uint32_t m_from;
    std::uint32_t m_to;
};

// "%Y-%b-%d" of a bound, as the dialog shows it ("2026-Mar-18").
std::string FormatReportDate(std::uint32_t time);

// The run that Generate starts for the selection and the database directory.
ReportRequest MakeReportRequest(const ReportSettings& settings, const std::string& databaseDirectory);

// The script that Save Script writes: the selection with the report type of
// the list, which may differ from the last one generated.
ReportScript MakeReportScript(const ReportSettings& settings, int reportType,
                              const std::string& databaseDirectory);

// Lets "Checking record %d of %d" through at most once per interval; every
// other text, and the first count after another text, always passes. A run
// over a million records would otherwise post a million texts to the
// user-interface thread.
class ProgressPacer {
public:
    using Clock = std::chrono::steady_clock;
    explicit ProgressPacer(Clock::duration interval = std::chrono::milliseconds(100))
        : m_interval(interval) {}

    bool Pass(const std::string& text, Clock::time_point now);

private:
    Clock::duration m_interval;
    Clock::time_point m_lastCount{};
    bool m_countShown = false;
};

} // namespace dm

#pragma once
// The history scope bar's texts and its day steps, without Qt.
//
// Scope types: 1 one day, 2 seven days, 3 thirty days, 4 every record.
//   1  "Records of Today" when the start lies on today's local date, else
//      "Records of <short date>";
//   2  "Records from <start> to <start + 6 days>";
//   3  "Records from <start> to <start + 29 days>";
//   4  "All Records available are displayed" (no day steps).
// A day step moves the start to the previous or next local calendar day, so
// no day is skipped or repeated where daylight saving time begins or ends.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace dm {

std::string HistoryScopeText(int scope, std::uint32_t start, std::uint32_t now);
// "%d records".
std::string HistoryRecordCountText(std::size_t count);
// Whether the scope has day steps (not for "All").
bool HistoryScopeSteps(int scope);
std::uint32_t StepHistoryDate(std::uint32_t start, int days);

// Collapses quick day steps into one reload: ticked every 400 ms with the
// current start, it answers true once the start has stayed unchanged for a
// whole tick after a change, so a series of clicks reloads once, 400 to
// 800 ms after the last one.
class ScopeReloadTimer {
public:
    static constexpr int kTimerId = 85;
    static constexpr int kPeriodMs = 400;

    bool Tick(std::uint32_t start);
    bool Pending() const { return m_pending; }

private:
    std::optional<std::uint32_t> m_seen;
    bool m_pending = false;
};

} // namespace dm

#pragma once
// A window of whole local days, cut into the hours of the clock, as the
// capacity figures count them.
//
// The window runs from 00:00:00 of its first day to the end of its last
// day. It is cut every 3,600 seconds from its start; each piece is
// counted under the local hour of the day at which it begins. Where
// daylight saving time ends, one hour of the clock occurs twice and is
// counted twice; where it begins, one does not occur.

#include <cstdint>
#include <vector>

namespace dm {

inline constexpr int kHoursPerDay = 24;

class CapacityWindow {
public:
    CapacityWindow() = default;
    // The local days that hold `firstDay` and `lastDay`; an earlier last
    // day counts as the first.
    CapacityWindow(std::uint32_t firstDay, std::uint32_t lastDay);

    std::uint32_t Start() const { return m_start; }
    // The first second after the window.
    std::uint64_t End() const { return m_end; }
    int Days() const { return m_days; }
    // The start of the first day and of the last day (for file names and texts).
    std::uint32_t FirstDay() const { return m_start; }
    std::uint32_t LastDay() const { return m_lastDay; }

    // The pieces: piece i begins at Start() + 3600·i and ends at the next
    // piece or the window's end.
    std::size_t Pieces() const { return m_hourOfPiece.size(); }
    int HourOfPiece(std::size_t piece) const { return m_hourOfPiece[piece]; }
    std::uint64_t PieceEnd(std::size_t piece) const;

private:
    std::uint32_t m_start = 0;
    std::uint32_t m_lastDay = 0;
    std::uint64_t m_end = 0;
    int m_days = 0;
    std::vector<std::uint8_t> m_hourOfPiece;
};

} // namespace dm

namespace dm {

// The last `days` whole local days before the day of `now`.
CapacityWindow LastWholeDays(int days, std::uint32_t now);

} // namespace dm

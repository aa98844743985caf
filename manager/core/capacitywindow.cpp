#include "manager/core/capacitywindow.h"

#include "common/timeformat.h"

#include <algorithm>

namespace dm {

CapacityWindow::CapacityWindow(std::uint32_t firstDay, std::uint32_t lastDay)
{
    m_start = StartOfLocalDay(firstDay);
    m_lastDay = StartOfLocalDay(std::max(firstDay, lastDay));
    m_end = static_cast<std::uint64_t>(EndOfLocalDay(m_lastDay)) + 1;
    // Calendar days, stepped at noon, so that a day of 23 or 25 hours
    // counts as one.
    m_days = 1;
    while (StartOfLocalDay(AddLocalDays(m_start, m_days)) <= m_lastDay)
        ++m_days;
    for (std::uint64_t t = m_start; t < m_end; t += 3600)
        m_hourOfPiece.push_back(static_cast<std::uint8_t>(LocalFields(static_cast<std::uint32_t>(t)).tm_hour));
}

std::uint64_t CapacityWindow::PieceEnd(std::size_t piece) const
{
    return std::min<std::uint64_t>(m_start + 3600ull * (piece + 1), m_end);
}

} // namespace dm

namespace dm {

CapacityWindow LastWholeDays(int days, std::uint32_t now)
{
    days = std::max(days, 1);
    return CapacityWindow(AddLocalDays(now, -days), AddLocalDays(now, -1));
}

} // namespace dm

#include "manager/core/usagewindow.h"

#include <algorithm>
#include <limits>

namespace dm {

std::uint32_t ZoomUnitSeconds(int unit)
{
    switch (unit) {
    case ZoomHour: return 3600;
    case ZoomWeek: return 604800;
    case ZoomMonth: return 2592000;
    default: return 86400;
    }
}

void UsageWindow::ResetAfterLoad(std::uint32_t todayStart, std::uint32_t todayEnd, std::uint32_t firstRecord)
{
    m_start = todayStart;
    m_end = todayEnd;
    m_unit = ZoomDay;
    m_scopeStart = firstRecord;
}

TimeSpan UsageWindow::Resolve(std::uint32_t now)
{
    if (m_end == 0)
        m_end = now;
    return {m_start == 0 ? m_scopeStart : m_start, m_end};
}

void UsageWindow::SaveForZoomBack()
{
    m_savedStart = m_start;
    m_savedEnd = m_end;
    m_zoomBackAvailable = true;
}

bool UsageWindow::StepBack()
{
    const std::uint32_t unit = ZoomUnitSeconds(m_unit);
    const std::uint32_t start = m_start == 0 ? m_scopeStart : m_start;
    // A start of 0 would read as "the scope start": the window stays.
    if (start <= unit)
        return false;
    m_start = start - unit;
    m_end = m_start + unit;
    return true;
}

bool UsageWindow::StepForward()
{
    const std::uint32_t unit = ZoomUnitSeconds(m_unit);
    const std::uint32_t start = m_start == 0 ? m_scopeStart : m_start;
    if (start > std::numeric_limits<std::uint32_t>::max() - 2 * unit)
        return false;
    m_start = start + unit;
    m_end = m_start + unit;
    return true;
}

void UsageWindow::ZoomBy(int unit)
{
    m_unit = unit >= ZoomHour && unit <= ZoomMonth ? unit : ZoomDay;
    StepBack();
}

void UsageWindow::ViewToday(std::uint32_t todayStart, std::uint32_t todayEnd)
{
    m_start = todayStart;
    m_end = todayEnd;
    m_unit = ZoomDay;
}

void UsageWindow::ResetSpan(std::uint32_t now)
{
    SaveForZoomBack();
    m_start = m_scopeStart;
    m_end = now;
}

bool UsageWindow::ZoomBack()
{
    if (!m_zoomBackAvailable)
        return false;
    m_start = m_savedStart;
    m_end = m_savedEnd;
    m_zoomBackAvailable = false;
    return true;
}

UsageWindow::BandResult UsageWindow::ApplyBand(const TimeSpan& shown, int from, int to, int width,
                                               std::uint32_t now)
{
    SaveForZoomBack();
    if (shown.Length() < kNarrowestSeconds) {
        m_start = m_scopeStart;
        m_end = now;
        return BandResult::Reset;
    }
    const int left = std::clamp(std::min(from, to), 0, width);
    const int right = std::clamp(std::max(from, to), 0, width);
    const std::uint32_t start = TimeAt(shown, left, width);
    const std::uint32_t end = TimeAt(shown, right, width);
    if (end - start <= kNarrowestSeconds)
        return BandResult::TooNarrow;
    m_start = start;
    m_end = end;
    return BandResult::Applied;
}

std::uint32_t UsageWindow::TimeAt(const TimeSpan& window, int x, int width)
{
    if (width <= 0)
        return window.start;
    const std::uint64_t offset = static_cast<std::uint64_t>(std::clamp(x, 0, width));
    return window.start + static_cast<std::uint32_t>(window.Length() * offset / static_cast<std::uint64_t>(width));
}

} // namespace dm

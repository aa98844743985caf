#pragma once
// The time window of the usage graph. The document holds one, so that the
// window and the zoom unit survive the graph view that shows them.
//
// Times are calendar seconds since 1970. A start of 0 stands for the scope
// start (the earliest loaded record), an end of 0 for "now"; Resolve turns
// both into real times and keeps the resolved end. Stepping moves the
// window by whole zoom units; the rubber band narrows it to the part of
// the graph column that was dragged across.

#include <cstdint>

namespace dm {

enum ZoomUnit : int { ZoomHour = 0, ZoomDay = 1, ZoomWeek = 2, ZoomMonth = 3 };

// 3600, 86400, 604800 or 2592000 seconds; any other unit counts as a day.
std::uint32_t ZoomUnitSeconds(int unit);

struct TimeSpan {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    std::uint32_t Length() const { return end > start ? end - start : 0; }
    bool operator==(const TimeSpan&) const = default;
};

class UsageWindow {
public:
    // The narrowest window a drag may select is longer than this.
    static constexpr std::uint32_t kNarrowestSeconds = 3600;

    enum class BandResult {
        Applied,   // the window is now the dragged part
        TooNarrow, // the dragged part is an hour or less; the window is kept
        Reset,     // the window itself was under an hour: now scope start to now
    };

    // After every load of the log: today, zoomed by day, and the scope
    // starting at the earliest loaded record.
    void ResetAfterLoad(std::uint32_t todayStart, std::uint32_t todayEnd, std::uint32_t firstRecord);

    std::uint32_t Start() const { return m_start; }
    std::uint32_t End() const { return m_end; }
    std::uint32_t ScopeStart() const { return m_scopeStart; }
    int Unit() const { return m_unit; }
    bool ZoomBackAvailable() const { return m_zoomBackAvailable; }
    TimeSpan Saved() const { return {m_savedStart, m_savedEnd}; }

    void Set(std::uint32_t start, std::uint32_t end) { m_start = start; m_end = end; }
    void SetScopeStart(std::uint32_t scopeStart) { m_scopeStart = scopeStart; }

    // The window as the statistics cover it; an end of 0 becomes now and is kept.
    TimeSpan Resolve(std::uint32_t now);

    void SaveForZoomBack();
    // The unit before the current start, or the unit from it. A step that
    // would leave the range of calendar times is not taken (false).
    bool StepBack();
    bool StepForward();
    // Sets the zoom unit, then steps back: "by Week" from today gives the
    // seven days before today 00:00.
    void ZoomBy(int unit);
    void ViewToday(std::uint32_t todayStart, std::uint32_t todayEnd);
    // Saves the window for zoom back, then covers scope start to now.
    void ResetSpan(std::uint32_t now);
    // Back to the saved window; false when there is none.
    bool ZoomBack();

    // A drag across the graph column from offset `from` to offset `to`
    // (pixels from the column's left edge, either order) of a column
    // `width` pixels wide, over the bars drawn for `shown`: the new window
    // is exactly the times that TimeAt names at both ends, as the tooltips
    // named them. Saves the window for zoom back first.
    BandResult ApplyBand(const TimeSpan& shown, int from, int to, int width, std::uint32_t now);

    // The time under offset x of a graph column `width` pixels wide.
    static std::uint32_t TimeAt(const TimeSpan& window, int x, int width);

private:
    std::uint32_t m_start = 0;
    std::uint32_t m_end = 0;
    std::uint32_t m_savedStart = 0;
    std::uint32_t m_savedEnd = 0;
    std::uint32_t m_scopeStart = 0;
    int m_unit = ZoomDay;
    bool m_zoomBackAvailable = false;
};

} // namespace dm

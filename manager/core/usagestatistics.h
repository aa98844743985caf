#pragma once
// How much of a time window each port was in use, as the usage graph and
// `dmctl usage` show it.
//
// Each entry is one port, labelled "server\port". Its occupancy bitmap
// divides the window into 3200 equal slots; a slot is set when a session
// of the port covers any part of it. Sessions are the end-of-session
// records of the activity log (the record's time is the end, its duration
// reaches back to the start), placed at their true times and clipped to
// the window. The busy time is the clipped session time, at most the
// window's length, so that the free share never drops below 0 %.
//
// Compute makes one pass over the records, finding each record's entry by
// its server and port (without regard to case) in a hash index, and then
// finishes the entries in row order, reporting each as it is done. Drawing
// reads only the bitmaps.

#include "common/logrecord.h"
#include "manager/core/usagewindow.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dm {

inline constexpr int kUsageSlots = 3200;
inline constexpr int kUsageWords = kUsageSlots / 32;

struct UsageEntry {
    std::string label; // "server\port"
    // Bit b of word w stands for slot 32 * w + b.
    std::array<std::uint32_t, kUsageWords> bits{};
    std::uint64_t busySeconds = 0;

    bool SlotBusy(int slot) const { return (bits[static_cast<std::size_t>(slot) / 32] >> (slot % 32)) & 1u; }
    // True when any slot of [first, last) is set.
    bool AnyBusy(int first, int last) const;
};

// How one pixel column of an occupancy bar is drawn. The bar's first and
// last columns are its black ends; the others stand for an equal share of
// the slots and are green when any of them is busy. Idle columns are grey,
// except every third one (counting from the bar's left end), which stays
// black so that idle time shows as hatching.
enum class BarColumn : std::uint8_t { End, Busy, Idle, Gap };

class UsageStatistics {
public:
    // Called after each entry's row is finished: how many are finished, and
    // the label of the last one.
    using Progress = std::function<void(std::size_t finished, const std::string& label)>;

    // Replaces the entries; their statistics are not computed yet.
    void SetEntries(const std::vector<std::string>& labels);
    const std::vector<UsageEntry>& Entries() const { return m_entries; }
    std::size_t Count() const { return m_entries.size(); }

    // Sessions are the end-of-session records; when `inProgressUntil` is not
    // 0, a port's last connect that no session end follows is a session
    // still in progress, busy from the connect up to that time.
    void Compute(const std::vector<LogRecord>& records, TimeSpan window, const Progress& progress = {},
                 std::uint32_t inProgressUntil = 0);
    bool Computed() const { return m_computed; }
    void Invalidate() { m_computed = false; }
    TimeSpan Window() const { return m_window; }

    int BusyPercent(std::size_t entry) const;
    int FreePercent(std::size_t entry) const { return 100 - BusyPercent(entry); }

    // The bar of an entry in a cell `cellWidth` pixels wide, one element per
    // pixel column (cellWidth - 1 of them).
    void Bar(std::size_t entry, int cellWidth, std::vector<BarColumn>& columns) const;

    // "Item,Free(%),Busy(%)" and one line per listed entry, each ended by "\n".
    std::string CsvText(const std::vector<std::size_t>& rows) const;
    // The same for every entry, in order.
    std::string CsvText() const;

private:
    std::vector<UsageEntry> m_entries;
    TimeSpan m_window;
    bool m_computed = false;
};

// The slots [first, last) that inner column `column` (0-based) of a bar
// with `innerColumns` such columns stands for: an equal share of the 3200,
// at least one.
void BarColumnSlots(int column, int innerColumns, int& first, int& last);

// Sets the slots that the clipped session [from, to) covers in a window.
void MarkSession(UsageEntry& entry, TimeSpan window, std::uint32_t from, std::uint32_t to);

} // namespace dm

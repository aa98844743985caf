#pragma once
// The manager's own settings, registry key
// Software\Osterhall Software\Dialminder\System of the local computer.

#include <array>
#include <cstdint>
#include <string>

namespace dm {

struct ManagerSettings {
    static constexpr const char* KeyPath = "Software\\Osterhall Software\\Dialminder\\System";
    static constexpr std::array<int, 10> NoKeyColumnWidths = {140, 90, 100, 65, 120,
                                                              100, 100, 100, 100, 100};
    static constexpr int DefaultColumnWidth = 60;

    // The refresh period's bounds in seconds: a stored value outside them is
    // taken as the nearest bound.
    static constexpr int MinInterval = 5;
    static constexpr int MaxInterval = 86400;
    static int ClampInterval(std::int64_t seconds);
    // The period of a timer armed with an interval, in milliseconds; the
    // interval is clamped first, so the product never overflows.
    static int IntervalMilliseconds(std::int64_t seconds);

    int interval = 30;             // refresh period in seconds; 0 reads as 30
    bool userIcons = true;         // accounts shown with their RAS permission icons
    bool attempt = false;          // stored and written back
    bool sound = false;            // stored and written back
    int browseScope = 1;           // history scope 1 to 4; anything else reads as 1
    bool historyViewSeconds = false;
    int historyViewColumns = 2047; // bit mask of the history columns shown
    std::array<int, 10> columnWidths = NoKeyColumnWidths;

    // Reads the key; a value that is missing or unreadable takes its default.
    // Without the key every value takes its default and the column widths
    // those of a first start.
    void Load();
    // Creates or opens the key and writes the values (see the .cpp for which
    // failures stop the save). False when the key could not be opened or a
    // value that stops the save could not be written.
    bool Save() const;
};

} // namespace dm

#pragma once
// The manager's own settings, registry key
// Software\Osterhall Software\Dialminder\System of the local computer.

#include <array>
#include <string>

namespace dm {

struct ManagerSettings {
    static constexpr const char* KeyPath = "Software\\Osterhall Software\\Dialminder\\System";
    static constexpr std::array<int, 10> NoKeyColumnWidths = {140, 90, 100, 65, 120,
                                                              100, 100, 100, 100, 100};
    static constexpr int DefaultColumnWidth = 60;

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

#include "manager/core/managersettings.h"

#include "platform/files/network.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <cstdio>

namespace dm {

namespace {

std::string ColumnWidthName(int column)
{
    char name[16];
    std::snprintf(name, sizeof name, "ColWidth%d", column);
    return name;
}

// A missing or unreadable value gives the fallback; each value on its own.
std::uint32_t ReadDword(const RegKey& key, std::string_view name, std::uint32_t fallback)
{
    std::uint32_t number = 0;
    return key.QueryDword(name, number) == winerr::Success ? number : fallback;
}

} // namespace

int ManagerSettings::ClampInterval(std::int64_t seconds)
{
    return static_cast<int>(std::clamp<std::int64_t>(seconds, MinInterval, MaxInterval));
}

int ManagerSettings::IntervalMilliseconds(std::int64_t seconds)
{
    return static_cast<int>(std::int64_t{ClampInterval(seconds)} * 1000);
}

void ManagerSettings::Load()
{
    *this = ManagerSettings();
    RegKey hive, key;
    if (RegOpenLocalMachine(hive) != winerr::Success || hive.OpenKey(KeyPath, key) != winerr::Success)
        return; // defaults, with the column widths of a first start

    const std::uint32_t storedInterval = ReadDword(key, "Interval", 30);
    interval = storedInterval == 0 ? 30 : ClampInterval(storedInterval);
    userIcons = ReadDword(key, "UserIcons", 1) != 0;
    attempt = ReadDword(key, "Attempt", 0) != 0;
    sound = ReadDword(key, "Sound", 0) != 0;
    const std::uint32_t scope = ReadDword(key, "BrowseScope", 1);
    browseScope = scope >= 1 && scope <= 4 ? static_cast<int>(scope) : 1;
    historyViewSeconds = ReadDword(key, "HistoryViewSeconds", 0) != 0;
    historyViewColumns = static_cast<int>(ReadDword(key, "HistoryViewColumns", 2047));
    for (int column = 0; column < static_cast<int>(columnWidths.size()); ++column)
        columnWidths[static_cast<std::size_t>(column)] =
            static_cast<int>(ReadDword(key, ColumnWidthName(column), DefaultColumnWidth));
}

bool ManagerSettings::Save() const
{
    RegKey hive, key;
    if (RegOpenLocalMachine(hive) != winerr::Success || hive.CreateKey(KeyPath, key) != winerr::Success)
        return false;
    auto put = [&](std::string_view name, int value) {
        return key.SetDword(name, static_cast<std::uint32_t>(value)) == winerr::Success;
    };
    if (!put("HistoryViewColumns", historyViewColumns) ||
        !put("HistoryViewSeconds", historyViewSeconds ? 1 : 0) || !put("BrowseScope", browseScope))
        return false;
    // A column width that cannot be written does not stop the save.
    for (int column = 0; column < static_cast<int>(columnWidths.size()); ++column)
        put(ColumnWidthName(column), columnWidths[static_cast<std::size_t>(column)]);
    return put("Sound", sound ? 1 : 0) && put("Attempt", attempt ? 1 : 0) &&
           put("UserIcons", userIcons ? 1 : 0) && put("Interval", interval);
}

} // namespace dm

#pragma once
// The columns the history list can show. Each kind has a bit in the
// manager's history column mask (ManagerSettings::historyViewColumns) and
// three names: its list header, its print header and its field in the
// header line of a saved file. "Time" is always shown, first; the others
// follow in the order of the kinds below.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

enum class HistoryColumn : std::uint16_t {
    Time = 0x001,
    Server = 0x002,
    Port = 0x004,
    Action = 0x008,
    Information = 0x010,
    User = 0x020,
    Ip = 0x040,
    NetBios = 0x080,
    Ipx = 0x100,
    Lasted = 0x200,
};

// Every kind, in display order.
inline constexpr HistoryColumn kHistoryColumnOrder[] = {
    HistoryColumn::Time,   HistoryColumn::Server,  HistoryColumn::Port, HistoryColumn::Action,
    HistoryColumn::Information, HistoryColumn::User, HistoryColumn::Ip, HistoryColumn::NetBios,
    HistoryColumn::Ipx,    HistoryColumn::Lasted,
};
inline constexpr int kHistoryMaxColumns = 10;
inline constexpr int kHistoryAllColumns = 0x3FF;

// The displayed kinds for a mask: Time, then each kind whose bit is set.
std::vector<HistoryColumn> HistoryColumnsOf(int mask);

// "Time" ... "Lasted (secs)" / "Lasted (hh:mm:ss)".
std::string HistoryListHeader(HistoryColumn kind, bool lastedInSeconds);
// "Time/Date", "User Account", "IP Address", "Lasted" ...
std::string HistoryPrintHeader(HistoryColumn kind);
// The header line of a saved file, without its line end:
// "Time/Date,Server,Port" for mask 0x007. Bits beyond the ten kinds are
// ignored.
std::string HistoryCsvHeader(int mask);

// A kind by its lower-case name: time, server, port, action, information,
// user, ip, netbios, ipx, lasted.
std::optional<HistoryColumn> HistoryColumnByName(std::string_view name);
const char* HistoryColumnName(HistoryColumn kind);

} // namespace dm

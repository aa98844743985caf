#pragma once
// What the history list shows for one activity log record: the texts of its
// cells and its icon. Computed on demand, never stored per row.

#include "common/logrecord.h"
#include "manager/core/historycolumns.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dm {

// Images of the history icon strip.
enum HistoryIcon : int {
    kHistoryIconConnect = 5,       // green ball
    kHistoryIconHangUp = 6,        // grey ball
    kHistoryIconDenied = 7,        // raised hand
    kHistoryIconDisconnected = 14, // red ball
};

// Connect, denied; a session end is a hang-up without a reason (0 or 255)
// and a disconnection with one.
int HistoryIconOf(const LogRecord& record);

// The cell of one column:
//   time         locale short date, a blank, locale time;
//   server, port, user, netbios, ipx   the record's texts;
//   action, information                "Connect" ... / the reason's text;
//   ip           "a.b.c.d" for a session end with an address, else empty;
//   lasted       for a session end: "%d" seconds, or "hh:mm:ss"; else empty.
std::string HistoryCellText(const LogRecord& record, HistoryColumn column, bool lastedInSeconds);
// The same text without a copy where it can be had: the record's own text,
// a constant, or what is formed into scratch (valid until scratch changes).
std::string_view HistoryCellView(const LogRecord& record, HistoryColumn column, bool lastedInSeconds,
                                 std::string& scratch);

// "3725" or "01:02:05".
std::string FormatLasted(std::int32_t seconds, bool inSeconds);
void AppendLasted(std::string& out, std::int32_t seconds, bool inSeconds);

} // namespace dm

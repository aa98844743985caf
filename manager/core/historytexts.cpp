#include "manager/core/historytexts.h"

#include "common/timeformat.h"

#include <cstdio>

namespace dm {

namespace {

bool IsSessionEnd(const LogRecord& record)
{
    return record.kind != kLogConnect && record.kind != kLogDenied;
}

} // namespace

int HistoryIconOf(const LogRecord& record)
{
    if (record.kind == kLogConnect)
        return kHistoryIconConnect;
    if (record.kind == kLogDenied)
        return kHistoryIconDenied;
    return (record.reason == 0 || record.reason == kLogNoReason) ? kHistoryIconHangUp
                                                                  : kHistoryIconDisconnected;
}

namespace {

// printf's "%.2d": at least two digits, after the sign of a negative number.
void AppendTwoDigits(std::string& out, int value)
{
    if (value < 0)
        out += '-';
    const unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    if (magnitude < 10)
        out += '0';
    out += std::to_string(magnitude);
}

} // namespace

// Formed by hand rather than by printf: a saved history has one a row.
std::string FormatLasted(std::int32_t seconds, bool inSeconds)
{
    if (inSeconds)
        return std::to_string(seconds);
    std::string text;
    text.reserve(8);
    AppendTwoDigits(text, seconds / 3600);
    text += ':';
    AppendTwoDigits(text, (seconds / 60) % 60);
    text += ':';
    AppendTwoDigits(text, seconds % 60);
    return text;
}

std::string HistoryCellText(const LogRecord& record, HistoryColumn column, bool lastedInSeconds)
{
    switch (column) {
    case HistoryColumn::Time: return FormatLocalDateTime(record.time);
    case HistoryColumn::Server: return record.server;
    case HistoryColumn::Port: return record.port;
    case HistoryColumn::Action: return LogActionText(record.kind, record.reason);
    case HistoryColumn::Information: return LogInformationText(record.kind, record.reason);
    case HistoryColumn::User: return record.user;
    case HistoryColumn::Ip:
        return IsSessionEnd(record) && record.ip != 0 ? FormatIpAddress(record.ip) : std::string();
    case HistoryColumn::NetBios: return record.netbios;
    case HistoryColumn::Ipx: return record.ipx;
    case HistoryColumn::Lasted:
        return IsSessionEnd(record) ? FormatLasted(record.duration, lastedInSeconds) : std::string();
    }
    return std::string();
}

} // namespace dm

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

std::string FormatLasted(std::int32_t seconds, bool inSeconds)
{
    char text[48];
    if (inSeconds)
        std::snprintf(text, sizeof text, "%d", seconds);
    else
        std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return text;
}

std::string HistoryCellText(const LogRecord& record, HistoryColumn column, bool lastedInSeconds)
{
    switch (column) {
    case HistoryColumn::Time: return FormatLocalTime("%x %X", record.time);
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

#include "manager/core/historytexts.h"

#include "common/timeformat.h"

#include <charconv>

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
    char digits[10];
    const auto written = std::to_chars(digits, digits + sizeof digits, magnitude);
    out.append(digits, written.ptr);
}

} // namespace

void AppendLasted(std::string& out, std::int32_t seconds, bool inSeconds)
{
    if (inSeconds) {
        char digits[12];
        const auto written = std::to_chars(digits, digits + sizeof digits, seconds);
        out.append(digits, written.ptr);
        return;
    }
    AppendTwoDigits(out, seconds / 3600);
    out += ':';
    AppendTwoDigits(out, (seconds / 60) % 60);
    out += ':';
    AppendTwoDigits(out, seconds % 60);
}

// Formed by hand rather than by printf: a saved history has one a row.
std::string FormatLasted(std::int32_t seconds, bool inSeconds)
{
    std::string text;
    text.reserve(8);
    AppendLasted(text, seconds, inSeconds);
    return text;
}

std::string_view HistoryCellView(const LogRecord& record, HistoryColumn column, bool lastedInSeconds,
                                 std::string& scratch)
{
    switch (column) {
    case HistoryColumn::Time:
        scratch.clear();
        AppendLocalDateTime(scratch, record.time);
        return scratch;
    case HistoryColumn::Server: return record.server.view();
    case HistoryColumn::Port: return record.port.view();
    case HistoryColumn::Action: return LogActionView(record.kind, record.reason);
    case HistoryColumn::Information: return LogInformationView(record.kind, record.reason);
    case HistoryColumn::User: return record.user.view();
    case HistoryColumn::Ip:
        if (!IsSessionEnd(record) || record.ip == 0)
            return std::string_view();
        scratch.clear();
        AppendIpAddress(scratch, record.ip);
        return scratch;
    case HistoryColumn::NetBios: return record.netbios.view();
    case HistoryColumn::Ipx: return record.ipx.view();
    case HistoryColumn::Lasted:
        if (!IsSessionEnd(record))
            return std::string_view();
        scratch.clear();
        AppendLasted(scratch, record.duration, lastedInSeconds);
        return scratch;
    }
    return std::string_view();
}

std::string HistoryCellText(const LogRecord& record, HistoryColumn column, bool lastedInSeconds)
{
    std::string scratch;
    const std::string_view text = HistoryCellView(record, column, lastedInSeconds, scratch);
    if (text.data() == scratch.data())
        return scratch;
    return std::string(text);
}

} // namespace dm

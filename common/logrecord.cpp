#include "common/logrecord.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "common/iniparser.h"
#include "common/numbers.h"
#include "common/timeformat.h"

namespace dm {

namespace {

constexpr auto npos = std::string_view::npos;

std::string_view AfterFirstUnderscore(std::string_view value)
{
    std::size_t underscore = value.find('_');
    return underscore == npos ? std::string_view() : value.substr(underscore + 1);
}

std::string_view UpToFirstQuestionMark(std::string_view text)
{
    return text.substr(0, text.find('?'));
}

// The "N" user with its reason digit split off.
void DecodeDeniedUser(std::string_view user, LogRecord& record)
{
    if (user.size() >= 2 && user[user.size() - 2] == '?') {
        record.reason = AtoiValue(user.substr(user.size() - 1));
        user = user.substr(0, user.size() - 2);
    } else {
        record.reason = kLogNoReason;
    }
    record.user = std::string(user);
}

void ResetEventFields(LogRecord& record, std::int32_t kind)
{
    record.kind = kind;
    record.duration = 0;
    record.ip = 0;
    record.reason = kLogNoReason;
    record.ipx.clear();
    record.netbios.clear();
}

bool IsSkipped(std::string_view value)
{
    return value.empty() || value.front() == '*' ||
           (value.front() != 'H' && value.front() != 'C' && value.front() != 'N');
}

std::string Replace(std::string_view text, std::string_view bad)
{
    std::string clean(text);
    std::replace_if(
        clean.begin(), clean.end(), [bad](char c) { return bad.find(c) != npos; }, '_');
    return clean;
}

} // namespace

bool DecodeLogValue(std::string_view value, LogRecord& record)
{
    if (IsSkipped(value))
        return false;
    const std::string_view user = AfterFirstUnderscore(value);
    switch (value.front()) {
    case 'H': {
        ResetEventFields(record, kLogSessionEnd);
        record.duration = AtoiValue(value.substr(1));
        record.user = std::string(UpToFirstQuestionMark(user));
        std::size_t firstQ = value.find('?');
        std::size_t lastQ = value.rfind('?');
        if (firstQ != npos)
            record.ip = AtoiWrapped32(value.substr(firstQ + 1));
        if (lastQ != npos && lastQ > firstQ)
            record.reason = AtoiValue(value.substr(lastQ + 1));
        std::size_t firstColon = value.find(':');
        std::size_t lastColon = value.rfind(':');
        if (firstColon != npos && lastColon != firstColon) {
            record.ipx = std::string(value.substr(firstColon + 1, lastColon - firstColon - 1));
            record.netbios = std::string(value.substr(lastColon + 1));
        }
        break;
    }
    case 'C':
        ResetEventFields(record, kLogConnect);
        record.user = std::string(user);
        break;
    default:
        ResetEventFields(record, kLogDenied);
        DecodeDeniedUser(user, record);
        break;
    }
    return true;
}

bool DecodeLegacyLogValue(std::string_view value, LogRecord& record)
{
    if (IsSkipped(value))
        return false;
    const std::string_view user = AfterFirstUnderscore(value);
    switch (value.front()) {
    case 'H': {
        ResetEventFields(record, kLogSessionEnd);
        record.duration = AtoiValue(value.substr(1));
        record.user = std::string(UpToFirstQuestionMark(user));
        std::size_t firstQ = value.find('?');
        if (firstQ != npos)
            record.ip = AtoiWrapped32(value.substr(firstQ + 1));
        break;
    }
    case 'C':
        ResetEventFields(record, kLogConnect);
        record.user = std::string(user);
        break;
    default:
        ResetEventFields(record, kLogDenied);
        record.user = std::string(UpToFirstQuestionMark(user));
        break;
    }
    return true;
}

void SetLogSection(std::string_view section, LogRecord& record)
{
    std::size_t slash = section.rfind('\\');
    if (slash == npos) {
        record.server.clear();
        record.port = std::string(section);
    } else {
        record.server = std::string(section.substr(0, slash));
        record.port = std::string(section.substr(slash + 1));
    }
}

std::string LogSectionName(std::string_view server, std::string_view port)
{
    return std::string(server) + "\\" + std::string(port);
}

std::string FormatLogKey(std::uint32_t time)
{
    return std::to_string(time);
}

std::string FormatConnectValue(std::string_view user)
{
    std::string value = "C_";
    value += user;
    return value;
}

std::string FormatDeniedValue(std::string_view user, std::int32_t reason)
{
    std::string value = "N_";
    value += Replace(user, "?");
    if (reason >= 0 && reason <= 9) {
        value += '?';
        value += static_cast<char>('0' + reason);
    }
    return value;
}

std::string FormatSessionEndValue(std::int32_t duration, std::string_view user, std::uint32_t ip,
                                  std::int32_t reason, std::string_view ipx,
                                  std::string_view netbios)
{
    std::string value = "H";
    value += std::to_string(duration);
    value += '_';
    value += Replace(user, "?:");
    value += '?';
    value += std::to_string(static_cast<std::int32_t>(ip));
    value += '?';
    value += std::to_string(reason);
    value += ':';
    value += Replace(ipx, "?:");
    value += ':';
    value += Replace(netbios, "?:");
    return value;
}

std::string FormatLogValue(const LogRecord& record)
{
    switch (record.kind) {
    case kLogSessionEnd:
        return FormatSessionEndValue(record.duration, record.user, record.ip, record.reason,
                                     record.ipx, record.netbios);
    case kLogDenied: return FormatDeniedValue(record.user, record.reason);
    default: return FormatConnectValue(record.user);
    }
}

std::string DayLogPath(std::string_view databaseDirectory, std::uint32_t time)
{
    return std::string(databaseDirectory) + "\\LogData\\" + FormatDayLogDate(time) + ".log";
}

std::string LegacyLogPath(std::string_view databaseDirectory)
{
    return std::string(databaseDirectory) + "\\Dialmind.log";
}

std::string FormatIpAddress(std::uint32_t ip)
{
    // Formed by hand: a saved history has one a row, and printf would cost
    // more than the rest of the row.
    std::string text;
    text.reserve(15);
    for (int shift = 24; shift >= 0; shift -= 8) {
        char digits[3];
        const auto written = std::to_chars(digits, digits + sizeof digits, (ip >> shift) & 0xFF);
        text.append(digits, written.ptr);
        if (shift > 0)
            text += '.';
    }
    return text;
}

std::string LogActionText(std::int32_t kind, std::int32_t reason)
{
    if (kind == kLogConnect)
        return "Connect";
    if (kind == kLogDenied)
        return "Denied";
    return (reason == 0 || reason == kLogNoReason) ? "Hang Up" : "Disconnected";
}

std::string LogInformationText(std::int32_t kind, std::int32_t reason)
{
    if (kind == kLogDenied) {
        switch (reason) {
        case 1: return "User not defined";
        case 2: return "User Account expired";
        case 3: return "User Total Time Reached";
        case 4: return "User already connected";
        case 5: return "Access denied on Port";
        case 6: return "No more time this period";
        case 9: return "Idle Timeout";
        default: return "";
        }
    }
    if (kind == kLogSessionEnd) {
        switch (reason) {
        case 1: return "Port Max Time Reached";
        case 2: return "User Max Session Time Reached";
        case 3: return "User Max Total Time Reached";
        case 9: return "Idle Timeout";
        default: return "";
        }
    }
    return "";
}

} // namespace dm

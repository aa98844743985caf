#include "common/logrecord.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
void DecodeDeniedUser(std::string_view user, LogFields& fields)
{
    if (user.size() >= 2 && user[user.size() - 2] == '?') {
        fields.reason = AtoiValue(user.substr(user.size() - 1));
        user = user.substr(0, user.size() - 2);
    } else {
        fields.reason = kLogNoReason;
    }
    fields.user = user;
}

// Where a session end's value splits: the first '_', the first and last
// '?', the first '?' after the '_', the first and last ':' (npos: none).
struct SessionEndMarks {
    std::size_t underscore = npos, firstQ = npos, lastQ = npos, userQ = npos, firstColon = npos,
                lastColon = npos;

    void Note(char c, std::size_t i)
    {
        if (c == '_') {
            if (underscore == npos)
                underscore = i;
        } else if (c == '?') {
            if (firstQ == npos)
                firstQ = i;
            if (userQ == npos && underscore != npos)
                userQ = i;
            lastQ = i;
        } else if (c == ':') {
            if (firstColon == npos)
                firstColon = i;
            lastColon = i;
        }
    }
};

// Sixteen bytes a step where the processor compares them at once; only the
// bytes that are marks are looked at one by one.
void FindSessionEndMarks(std::string_view value, SessionEndMarks& marks)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i underscore = _mm_set1_epi8('_');
    const __m128i question = _mm_set1_epi8('?');
    const __m128i colon = _mm_set1_epi8(':');
    for (; i + 16 <= value.size(); i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(value.data() + i));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(chunk, underscore), _mm_cmpeq_epi8(chunk, question)),
                         _mm_cmpeq_epi8(chunk, colon))));
        for (; mask != 0; mask &= mask - 1) {
            const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
            marks.Note(value[at], at);
        }
    }
#endif
    for (; i < value.size(); ++i)
        marks.Note(value[i], i);
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

bool DecodeLogValue(std::string_view value, LogFields& fields)
{
    if (IsSkipped(value))
        return false;
    fields = LogFields{};
    if (value.front() != 'H') {
        const std::string_view user = AfterFirstUnderscore(value);
        if (value.front() == 'C') {
            fields.kind = kLogConnect;
            fields.user = user;
        } else {
            fields.kind = kLogDenied;
            DecodeDeniedUser(user, fields);
        }
        return true;
    }
    // A session end: the marks that split it found in one pass.
    SessionEndMarks marks;
    FindSessionEndMarks(value, marks);
    const std::size_t underscore = marks.underscore, firstQ = marks.firstQ, lastQ = marks.lastQ,
                      userQ = marks.userQ, firstColon = marks.firstColon, lastColon = marks.lastColon;
    fields.kind = kLogSessionEnd;
    fields.duration = AtoiValue(value.substr(1));
    if (underscore != npos)
        fields.user = value.substr(underscore + 1, userQ == npos ? npos : userQ - underscore - 1);
    if (firstQ != npos)
        fields.ip = AtoiWrapped32(value.substr(firstQ + 1));
    if (lastQ != npos && lastQ > firstQ)
        fields.reason = AtoiValue(value.substr(lastQ + 1));
    if (firstColon != npos && lastColon != firstColon) {
        fields.ipx = value.substr(firstColon + 1, lastColon - firstColon - 1);
        fields.netbios = value.substr(lastColon + 1);
    }
    return true;
}

bool DecodeLegacyLogValue(std::string_view value, LogFields& fields)
{
    if (IsSkipped(value))
        return false;
    fields = LogFields{};
    const std::string_view user = AfterFirstUnderscore(value);
    switch (value.front()) {
    case 'H': {
        fields.kind = kLogSessionEnd;
        fields.duration = AtoiValue(value.substr(1));
        fields.user = UpToFirstQuestionMark(user);
        std::size_t firstQ = value.find('?');
        if (firstQ != npos)
            fields.ip = AtoiWrapped32(value.substr(firstQ + 1));
        break;
    }
    case 'C':
        fields.kind = kLogConnect;
        fields.user = user;
        break;
    default:
        fields.kind = kLogDenied;
        fields.user = UpToFirstQuestionMark(user);
        break;
    }
    return true;
}

void SetLogFields(const LogFields& fields, LogRecord& record)
{
    record.kind = fields.kind;
    record.duration = fields.duration;
    record.ip = fields.ip;
    record.reason = fields.reason;
    record.user = fields.user;
    record.ipx = fields.ipx;
    record.netbios = fields.netbios;
}

bool DecodeLogValue(std::string_view value, LogRecord& record)
{
    LogFields fields;
    if (!DecodeLogValue(value, fields))
        return false;
    SetLogFields(fields, record);
    return true;
}

bool DecodeLegacyLogValue(std::string_view value, LogRecord& record)
{
    LogFields fields;
    if (!DecodeLegacyLogValue(value, fields))
        return false;
    SetLogFields(fields, record);
    return true;
}

void SetLogSection(std::string_view section, LogRecord& record)
{
    std::size_t slash = section.rfind('\\');
    if (slash == npos) {
        record.server = SharedName();
        record.port = section;
    } else {
        record.server = section.substr(0, slash);
        record.port = section.substr(slash + 1);
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
    std::string text;
    text.reserve(15);
    AppendIpAddress(text, ip);
    return text;
}

void AppendIpAddress(std::string& out, std::uint32_t ip)
{
    // Formed by hand: a saved history has one a row, and printf would cost
    // more than the rest of the row.
    for (int shift = 24; shift >= 0; shift -= 8) {
        char digits[3];
        const auto written = std::to_chars(digits, digits + sizeof digits, (ip >> shift) & 0xFF);
        out.append(digits, written.ptr);
        if (shift > 0)
            out += '.';
    }
}

std::string LogActionText(std::int32_t kind, std::int32_t reason)
{
    return std::string(LogActionView(kind, reason));
}

std::string LogInformationText(std::int32_t kind, std::int32_t reason)
{
    return std::string(LogInformationView(kind, reason));
}

std::string_view LogActionView(std::int32_t kind, std::int32_t reason)
{
    if (kind == kLogConnect)
        return "Connect";
    if (kind == kLogDenied)
        return "Denied";
    return (reason == 0 || reason == kLogNoReason) ? "Hang Up" : "Disconnected";
}

std::string_view LogInformationView(std::int32_t kind, std::int32_t reason)
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

#pragma once
// One activity log event, and the text forms in which the server component
// writes events into the log files.
//
// A log file (one per local day, "<database>\LogData\<yyyy-MMM-dd>.log", or
// the legacy single file "<database>\Dialmind.log") is a profile file with one
// section per port, named "server\port", and one key per event: the key is
// the event's calendar time in decimal, the value describes the event:
//
//   C_user                                   a user connected
//   N_user?d                                 a connection was denied, d = reason digit
//   N_user                                   denied, no reason given
//   Hduration_user?ip?reason:ipx:netbios     a session ended (duration in seconds,
//                                            ip as signed decimal, first octet highest)
//
// User names, IPX addresses and NetBIOS names never hold '?' or ':'. The
// encoders below replace such characters with '_' so that what
// they write always decodes into the same fields.

#include <cstdint>
#include <string>
#include <string_view>

#include "common/sharedname.h"

namespace dm {

// Kinds of event, as LogRecord::kind holds them.
inline constexpr std::int32_t kLogSessionEnd = 0; // "H"
inline constexpr std::int32_t kLogConnect = 1;    // "C"
inline constexpr std::int32_t kLogDenied = 2;     // "N"
// The reason of an event that gives none.
inline constexpr std::int32_t kLogNoReason = 255;

// The texts are shared (see sharedname.h): a loaded record takes 64 bytes.
struct LogRecord {
    SharedName server;              // before the last backslash of the section name
    SharedName port;                // after it
    SharedName user;                // "domain\name" as the server component names it
    std::uint32_t time = 0;         // the key: seconds since 1970
    std::int32_t duration = 0;      // session end only, seconds
    std::int32_t kind = kLogConnect;
    std::uint32_t ip = 0;           // session end only; 0 = none
    std::int32_t reason = kLogNoReason; // denial or disconnect reason
    SharedName ipx;                 // session end only
    SharedName netbios;             // session end only

    bool operator==(const LogRecord&) const = default;
};

// The fields a value decodes into, as views into the value's text: what a
// loader that keeps only some of them reads without copying any.
struct LogFields {
    std::string_view user;
    std::string_view ipx;
    std::string_view netbios;
    std::int32_t duration = 0;
    std::int32_t kind = kLogConnect;
    std::uint32_t ip = 0;
    std::int32_t reason = kLogNoReason;
};

// Decodes a value into kind, user, duration, ip, reason, ipx and netbios
// (server, port and time are left alone). Returns false, leaving the record
// untouched, for values that are skipped: empty, starting with '*', or of a
// kind other than C, N and H.
//
//   H: duration = the number after "H"; user = the text after the first '_'
//      up to the first '?' after it; ip = the number after the value's first
//      '?' (0 without one); reason = the number after the last '?' when that
//      is not the first, else 255; when the first and last ':' differ,
//      ipx = the text between them and netbios = the text after the last.
//   C: user = the text after the first '_'; reason 255.
//   N: user = the text after the first '_'; when its second-to-last
//      character is '?', the user ends there and the reason is the digit
//      after it, else 255.
// A value without '_' has an empty user. Numbers read with atoi rules; ip
// accepts the signed and the unsigned decimal form.
bool DecodeLogValue(std::string_view value, LogRecord& record);
bool DecodeLogValue(std::string_view value, LogFields& fields);

// The legacy single file's rules: H yields duration, user (cut at its first
// '?') and ip; N yields the user cut at its first '?'; reason, ipx and
// netbios keep "none".
bool DecodeLegacyLogValue(std::string_view value, LogRecord& record);
bool DecodeLegacyLogValue(std::string_view value, LogFields& fields);
// Copies decoded fields into a record (all but server, port and time).
void SetLogFields(const LogFields& fields, LogRecord& record);

// Splits "server\port" at its last backslash into the record; a name without
// a backslash is all port.
void SetLogSection(std::string_view section, LogRecord& record);

// The writers' side.
std::string LogSectionName(std::string_view server, std::string_view port);
std::string FormatLogKey(std::uint32_t time);
std::string FormatConnectValue(std::string_view user);
// reason 0 to 9 is written as its digit; any other reason as none.
std::string FormatDeniedValue(std::string_view user, std::int32_t reason);
std::string FormatSessionEndValue(std::int32_t duration, std::string_view user, std::uint32_t ip,
                                  std::int32_t reason, std::string_view ipx,
                                  std::string_view netbios);
// Also known by the letter it writes.
inline std::string FormatHangupValue(std::int32_t duration, std::string_view user,
                                     std::uint32_t ip, std::int32_t reason, std::string_view ipx,
                                     std::string_view netbios)
{
    return FormatSessionEndValue(duration, user, ip, reason, ipx, netbios);
}
// The value of a record by its kind.
std::string FormatLogValue(const LogRecord& record);

// "<databaseDirectory>\LogData\<yyyy-MMM-dd>.log" for the local day of time.
std::string DayLogPath(std::string_view databaseDirectory, std::uint32_t time);
// "<databaseDirectory>\Dialmind.log".
std::string LegacyLogPath(std::string_view databaseDirectory);

// "a.b.c.d", first octet from the highest byte.
std::string FormatIpAddress(std::uint32_t ip);
void AppendIpAddress(std::string& out, std::uint32_t ip);

// The history view's texts for an event: "Connect", "Denied",
// "Disconnected" or "Hang Up", and the reason's explanation (empty when
// there is none).
std::string LogActionText(std::int32_t kind, std::int32_t reason);
std::string LogInformationText(std::int32_t kind, std::int32_t reason);
// The same texts without a copy (they are constants).
std::string_view LogActionView(std::int32_t kind, std::int32_t reason);
std::string_view LogInformationView(std::int32_t kind, std::int32_t reason);

} // namespace dm

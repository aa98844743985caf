#pragma once
// What each policy editor shows and saves, as NAME=VALUE pairs named by the
// file's keys, and the one way every editor and `dmctl policy set` saves:
// only the keys whose value the person changed from what the editor showed,
// each written into the current file under its lock, so that what the server
// component and other managers wrote meanwhile stays.
//
// Values are in the editor's form: seconds and days in decimal, StaticIP as
// a.b.c.d, flags "0"/"1", lists and texts as they stand (without quotes).

#include "database/hardwarerecords.h"
#include "database/limits.h"
#include "database/userrecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dm {

class ProfileBatch;

enum class PolicyEditor { User, Group, Port, Default, Notifications, Greetings };

using PolicyValues = std::vector<std::pair<std::string, std::string>>;

// The largest amount of seconds or days a limit holds (a signed 32-bit key).
inline constexpr std::int64_t kLargestAmount = 2147483647;
// Characters a text holds, counted as letters, not bytes.
inline constexpr std::size_t kGreetingTextLimit = GreetingRule::TextCapacity - 1;
inline constexpr std::size_t kNoticeTextLimit = Notice::TextCapacity - 1;

// Every key the editor shows, in the order it shows them. The user's counters
// come last; an editor shows them but writes one only as the 0 of a reset.
PolicyValues PolicyValuesOf(const UserRecord& record);
PolicyValues PolicyValuesOf(const Limits& groupLimits);
PolicyValues PolicyValuesOf(const PortSettings& port, const PortAccessLists& lists);
PolicyValues PolicyValuesOf(const DefaultProfile& profile);
// A notice that is off shows (and saves) an empty text.
PolicyValues PolicyValuesOf(const NotificationSettings& notices);
PolicyValues PolicyValuesOf(const GreetingRules& rules);

// a.b.c.d of an address packed as a*2^24 + b*2^16 + c*2^8 + d.
std::string FormatAddress(std::uint32_t bits);

// The value of name in values, when there is one.
const std::string* FindPolicyValue(const PolicyValues& values, std::string_view name);

// Nothing when the editor takes value for name; else the message refusing it.
// Names the editor does not show, and counters, are refused.
std::optional<std::string> CheckPolicyValue(PolicyEditor editor, std::string_view name, std::string_view value);

// The check of one amount field: digits only, from 0 to largest; and the
// message that refuses another text, naming the field, its unit and the
// largest value ("The first notice must be a number of seconds from 0 to
// 2147483647."), worded as the limits form words its refusals.
std::optional<std::int64_t> ParseAmount(std::string_view text, std::int64_t largest = kLargestAmount);
std::string AmountMessage(std::string_view field, std::string_view unit = "seconds",
                          std::int64_t largest = kLargestAmount);

// Characters of a UTF-8 text (continuation bytes do not count), and the text
// cut to at most limit characters, never inside one.
std::size_t CharacterCount(std::string_view text);
std::string CutToCharacters(std::string text, std::size_t limit);

// Writes into section each key whose value differs between shown and edited,
// in the file's form. An empty shown value stands for a key the file lacks
// (a new section: every key the page sets is written). A counter is written
// only as the 0 of a reset; TotalDenieds and Lasted never. Returns how many
// keys were written.
std::size_t WritePolicyChanges(ProfileBatch& batch, PolicyEditor editor, std::string_view section,
                               const PolicyValues& shown, const PolicyValues& edited);

} // namespace dm

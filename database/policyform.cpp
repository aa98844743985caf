#include "database/policyform.h"

#include "common/numbers.h"
#include "common/text.h"
#include "database/limitsform.h"
#include "database/profilevalues.h"
#include "platform/files/profile.h"

#include <span>

namespace dm {

namespace {

enum class KeyKind { Amount, PeriodType, Flag, Address, List, Text, Counter, Owned };

struct PolicyKey {
    const char* name;
    KeyKind kind;
    const char* field;      // the caption a message names
    std::size_t limit = 0;  // characters of a text
};

constexpr PolicyKey kUserKeys[] = {
    {"NoDuplicate", KeyKind::Flag, "One port at a time"},
    {"MaxSessionTime", KeyKind::Amount, "Maximum session time"},
    {"MaxTotalTime", KeyKind::Amount, "Maximum total time"},
    {"ExpiryTime", KeyKind::Amount, "Expiry (days)"},
    {"PeriodMax", KeyKind::Amount, "Period limit"},
    {"PeriodType", KeyKind::PeriodType, "Period"},
    {"StaticIP", KeyKind::Address, "Static IP address"},
    {"TotalTime", KeyKind::Counter, "Total usage"},
    {"TotalConnects", KeyKind::Counter, "Number of sessions"},
    {"FirstConnection", KeyKind::Counter, "First session"},
    {"LastConnection", KeyKind::Counter, "Last session"},
    {"PeriodUsage", KeyKind::Counter, "Period usage"},
    {"PeriodStamp", KeyKind::Owned, "Period start"},
    {"TotalDenieds", KeyKind::Owned, "Denied connections"},
    {"Lasted", KeyKind::Owned, "Last session lasted"},
};
constexpr PolicyKey kGroupKeys[] = {
    {"MaxSessionTime", KeyKind::Amount, "Maximum session time"},
    {"MaxTotalTime", KeyKind::Amount, "Maximum total time"},
    {"NoDuplicate", KeyKind::Flag, "One port at a time"},
    {"PeriodMax", KeyKind::Amount, "Period limit"},
    {"PeriodType", KeyKind::PeriodType, "Period"},
};
constexpr PolicyKey kPortKeys[] = {
    {"MaxSessionTime", KeyKind::Amount, "Maximum session time"},
    {"StaticIP", KeyKind::Address, "Static IP address"},
    {"AllowedUser", KeyKind::List, "Allowed users"},
    {"AllowedGroup", KeyKind::List, "Allowed groups"},
};
constexpr PolicyKey kDefaultKeys[] = {
    {"MaxSessionTime", KeyKind::Amount, "Maximum session time"},
    {"MaxTotalTime", KeyKind::Amount, "Maximum total time"},
    {"ExpiryTime", KeyKind::Amount, "Expiry (days)"},
    {"PeriodMax", KeyKind::Amount, "Period limit"},
    {"PeriodType", KeyKind::PeriodType, "Period"},
    {"NoDuplicate", KeyKind::Flag, "One port at a time"},
    {"AssignDefault", KeyKind::Flag, "Assign the default settings"},
};
constexpr PolicyKey kNotificationKeys[] = {
    {"Notify1", KeyKind::Amount, "first notice"},
    {"Notify1Text", KeyKind::Text, "First notice text", kNoticeTextLimit},
    {"Notify2", KeyKind::Amount, "second notice"},
    {"Notify2Text", KeyKind::Text, "Second notice text", kNoticeTextLimit},
};
constexpr PolicyKey kGreetingKeys[] = {
    {"RuleMask", KeyKind::Amount, "active rules"},
    {"Rule0Text", KeyKind::Text, "First rule text", kGreetingTextLimit},
    {"Rule1Text", KeyKind::Text, "Second rule text", kGreetingTextLimit},
    {"Rule2Text", KeyKind::Text, "Third rule text", kGreetingTextLimit},
};

std::span<const PolicyKey> KeysOf(PolicyEditor editor)
{
    switch (editor) {
    case PolicyEditor::User: return kUserKeys;
    case PolicyEditor::Group: return kGroupKeys;
    case PolicyEditor::Port: return kPortKeys;
    case PolicyEditor::Default: return kDefaultKeys;
    case PolicyEditor::Notifications: return kNotificationKeys;
    case PolicyEditor::Greetings: return kGreetingKeys;
    }
    return {};
}

const PolicyKey* FindKey(PolicyEditor editor, std::string_view name)
{
    for (const PolicyKey& key : KeysOf(editor))
        if (EqualNoCase(key.name, name))
            return &key;
    return nullptr;
}

std::optional<std::uint32_t> ParseAddress(std::string_view text)
{
    std::uint32_t bits = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = part < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos)
            return std::nullopt;
        const auto octet = ParseAmount(text.substr(0, dot), 255);
        if (!octet || dot == 0 || dot > 3)
            return std::nullopt;
        bits = (bits << 8) | static_cast<std::uint32_t>(*octet);
        text.remove_prefix(part < 3 ? dot + 1 : dot);
    }
    return bits;
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// The value as the file holds it.
std::string FileForm(const PolicyKey& key, const std::string& value)
{
    switch (key.kind) {
    case KeyKind::Flag: return value == "0" || value.empty() ? "0" : "1";
    case KeyKind::Address: return FormatInt32(ParseAddress(value).value_or(0));
    case KeyKind::List:
    case KeyKind::Text: return Quoted(value);
    default: return FormatInt32(AtoiWrapped32(value));
    }
}

std::string Decimal(std::int64_t value) { return std::to_string(value); }

} // namespace

std::string FormatAddress(std::uint32_t bits)
{
    return std::to_string(bits >> 24) + '.' + std::to_string((bits >> 16) & 0xFF) + '.' +
           std::to_string((bits >> 8) & 0xFF) + '.' + std::to_string(bits & 0xFF);
}

PolicyValues PolicyValuesOf(const UserRecord& r)
{
    return {{"NoDuplicate", FormatFlag(r.noDuplicate)},
            {"MaxSessionTime", Decimal(r.maxSessionTime)},
            {"MaxTotalTime", Decimal(r.maxTotalTime)},
            {"ExpiryTime", Decimal(r.expiryTime)},
            {"PeriodMax", Decimal(r.periodMax)},
            {"PeriodType", Decimal(r.periodType)},
            {"StaticIP", FormatAddress(r.staticIP)},
            {"TotalTime", Decimal(r.totalTime)},
            {"TotalConnects", Decimal(r.totalConnects)},
            {"FirstConnection", Decimal(r.firstConnection)},
            {"LastConnection", Decimal(r.lastConnection)},
            {"PeriodUsage", Decimal(r.periodUsage)},
            {"PeriodStamp", Decimal(r.periodStamp)},
            {"TotalDenieds", Decimal(r.totalDenieds)},
            {"Lasted", Decimal(r.lasted)}};
}

PolicyValues PolicyValuesOf(const Limits& g)
{
    return {{"MaxSessionTime", Decimal(g.maxSessionTime)},
            {"MaxTotalTime", Decimal(g.maxTotalTime)},
            {"NoDuplicate", FormatFlag(g.noDuplicate)},
            {"PeriodMax", Decimal(g.periodMax)},
            {"PeriodType", Decimal(g.periodType)}};
}

PolicyValues PolicyValuesOf(const PortSettings& port, const PortAccessLists& lists)
{
    return {{"MaxSessionTime", Decimal(port.maxSessionTime)},
            {"StaticIP", FormatAddress(port.staticIP)},
            {"AllowedUser", lists.allowedUsers},
            {"AllowedGroup", lists.allowedGroups}};
}

PolicyValues PolicyValuesOf(const DefaultProfile& p)
{
    return {{"MaxSessionTime", Decimal(p.maxSessionTime)},
            {"MaxTotalTime", Decimal(p.maxTotalTime)},
            {"ExpiryTime", Decimal(p.expiryTime)},
            {"PeriodMax", Decimal(p.periodMax)},
            {"PeriodType", Decimal(p.periodType)},
            {"NoDuplicate", FormatFlag(p.noDuplicate)},
            {"AssignDefault", FormatFlag(p.assignDefault)}};
}

PolicyValues PolicyValuesOf(const NotificationSettings& n)
{
    PolicyValues values;
    for (std::size_t i = 0; i < n.notices.size(); ++i) {
        const Notice& notice = n.notices[i];
        const std::string key = "Notify" + std::to_string(i + 1);
        values.emplace_back(key, Decimal(notice.seconds));
        values.emplace_back(key + "Text", notice.seconds != 0 ? notice.text : std::string());
    }
    return values;
}

PolicyValues PolicyValuesOf(const GreetingRules& g)
{
    PolicyValues values{{"RuleMask", Decimal(g.RuleMask())}};
    for (std::size_t i = 0; i < g.rules.size(); ++i)
        values.emplace_back("Rule" + std::to_string(i) + "Text", g.rules[i].text);
    return values;
}

const std::string* FindPolicyValue(const PolicyValues& values, std::string_view name)
{
    for (const auto& [key, value] : values)
        if (EqualNoCase(key, name))
            return &value;
    return nullptr;
}

std::optional<std::int64_t> ParseAmount(std::string_view text, std::int64_t largest)
{
    // Digits only: no sign, no blanks, nothing after them.
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const std::optional<std::int64_t> value = ParseInt64(text);
    if (!value || *value > largest)
        return std::nullopt;
    return value;
}

std::string AmountMessage(std::string_view field, std::string_view unit, std::int64_t largest)
{
    return "The " + std::string(field) + " must be a number of " + std::string(unit) + " from 0 to " +
           std::to_string(largest) + ".";
}

std::optional<std::string> CheckPolicyValue(PolicyEditor editor, std::string_view name, std::string_view value)
{
    const PolicyKey* key = FindKey(editor, name);
    if (key == nullptr)
        return std::string(name) + " is not a setting of this editor.";
    switch (key->kind) {
    case KeyKind::Amount:
        // The limits the limits form holds are checked by its own check.
        if (const auto field = LimitFieldByKey(key->name)) {
            if (const LimitCheck check = CheckLimitText(*field, value); !check.value)
                return check.message;
        } else if (editor == PolicyEditor::Greetings) {
            if (!ParseAmount(value, 7))
                return AmountMessage(key->field, "rule bits", 7);
        } else if (!ParseAmount(value)) {
            return AmountMessage(key->field);
        }
        break;
    case KeyKind::PeriodType:
        if (!ParseAmount(value, PeriodMonth))
            return std::string(key->field) + " takes 0 (none), 1 (24 Hours), 2 (Week) or 3 (Month).";
        break;
    case KeyKind::Flag:
        if (value != "0" && value != "1")
            return std::string(key->field) + " takes 0 or 1.";
        break;
    case KeyKind::Address:
        if (!ParseAddress(value))
            return std::string(key->field) + " takes four numbers from 0 to 255 separated by dots (a.b.c.d).";
        break;
    case KeyKind::List:
        if (HasLineBreak(value) || value.find('"') != std::string_view::npos)
            return std::string(key->field) + " takes names separated by \";\", without quotes or line breaks.";
        break;
    case KeyKind::Text:
        if (HasLineBreak(value))
            return std::string(key->field) + " takes one line of text.";
        if (CharacterCount(value) > key->limit)
            return std::string(key->field) + " takes at most " + std::to_string(key->limit) + " characters.";
        break;
    case KeyKind::Counter:
    case KeyKind::Owned:
        return std::string(key->name) + " is a counter the server component keeps; an editor does not set it.";
    }
    return std::nullopt;
}

std::size_t CharacterCount(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

std::string CutToCharacters(std::string text, std::size_t limit)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (count++ == limit) {
            text.resize(i);
            break;
        }
    }
    return text;
}

std::size_t WritePolicyChanges(ProfileBatch& batch, PolicyEditor editor, std::string_view section,
                               const PolicyValues& shown, const PolicyValues& edited)
{
    std::size_t written = 0;
    for (const PolicyKey& key : KeysOf(editor)) {
        const std::string* after = FindPolicyValue(edited, key.name);
        if (after == nullptr)
            continue;
        const std::string* before = FindPolicyValue(shown, key.name);
        const std::string was = before ? *before : std::string();
        if (was == *after || key.kind == KeyKind::Owned)
            continue;
        // A counter only ever goes back to 0, and only where the file had one.
        if (key.kind == KeyKind::Counter && (*after != "0" || was.empty()))
            continue;
        batch.Write(section, key.name, FileForm(key, *after));
        ++written;
    }
    return written;
}

} // namespace dm

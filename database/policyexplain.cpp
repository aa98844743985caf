#include "database/policyexplain.h"

#include "common/csvtext.h"
#include "common/logrecord.h"
#include "common/timeformat.h"
#include "database/policyform.h"

#include <algorithm>
#include <cstdio>

namespace dm {
namespace {

const char* PeriodName(std::int32_t type)
{
    switch (type) {
    case PeriodDay: return "24 Hours";
    case PeriodWeek: return "Week";
    case PeriodMonth: return "Month";
    default: return "none";
    }
}

std::string When(std::uint64_t time)
{
    if (time > 0xFFFFFFFFull)
        return "after 2106";
    return FormatLocalTime("%Y-%m-%d %H:%M:%S", static_cast<std::uint32_t>(time));
}

// The history's text of a disconnect; a period cut is told by the words of
// the refusal that would follow it.
std::string CutText(int reason)
{
    const std::string text = LogInformationText(kLogSessionEnd, reason);
    return text.empty() && reason == EndPeriodUsed ? LogInformationText(kLogDenied, reason) : text;
}

// The engine applies no limit of 0 or less: such a limit shows as none.
std::string Seconds(std::int64_t seconds) { return seconds <= 0 ? "none" : std::to_string(seconds) + " s"; }

std::string SourceText(const PolicyExplanation& e, const std::string& source)
{
    if (source == kDefaultProfileSource)
        return "default profile";
    if (!source.empty() && source.front() == '+')
        return source;
    return e.record == PolicyExplanation::Record::None ? std::string() : "account section " + source;
}

} // namespace

PolicyExplanation ExplainPolicy(const HardwareDatabase& hw, UserDatabase usr, const CallerIdentity& caller,
                                const std::string& server, const std::string& port, std::uint32_t at, int portsHeld)
{
    PolicyExplanation e;
    e.account = caller.account;
    e.server = server;
    e.port = port;
    e.at = at;
    PolicyEngine engine(hw, usr);
    const Admission admission = engine.Admit(caller, server, port, at, portsHeld);
    e.reason = admission.reason;
    e.portMaxSession = engine.PortMaxSession(server, port);
    e.portHasSection = hw.FindPort(server, port) != nullptr;
    const UserRecord* record = usr.FindAccount(caller.account);
    if (!record)
        return e; // not defined: nothing else applies
    e.record = admission.createdFromDefault ? PolicyExplanation::Record::FromDefault : PolicyExplanation::Record::Own;
    e.account = record->accountKey;
    e.limits = admission.effective;
    e.sources = admission.sources;
    e.totalTime = record->totalTime;
    e.periodUsage = PolicyEngine::CurrentPeriodUsage(*record, e.limits, at);
    if (e.limits.maxTotalTime > 0)
        e.totalLeft = std::max<std::int64_t>(0, std::int64_t(e.limits.maxTotalTime) - record->totalTime);
    if (e.limits.HasPeriodLimit())
        e.periodLeft = std::max<std::int64_t>(0, std::int64_t(e.limits.periodMax) - e.periodUsage);
    e.expiryDays = record->expiryTime;
    e.expiresAt = PolicyEngine::ExpiresAt(*record);

    if (e.reason == Admitted) {
        const AccountUsage usage{record->totalTime, e.periodUsage, {at}};
        e.cut = PolicyEngine::PlannedCut(at, e.portMaxSession, e.limits, usage, at, 0);
        e.staticIP = engine.StaticAddress(record, server, port, {});
        if (e.staticIP != 0)
            e.staticIPSource = e.staticIP == record->staticIP ? "account" : "port";
        e.greeting = engine.Greeting(record->accountKey, e.limits, e.portMaxSession, record->totalTime);
    }
    const auto due = e.cut ? engine.NoticesBefore(*e.cut, at) : std::vector<NoticeDue>();
    for (std::size_t n = 0; n < hw.notifications.notices.size(); ++n) {
        const Notice& notice = hw.notifications.notices[n];
        PolicyExplanation::NoticeLine line{int(n), notice.seconds, notice.text, std::nullopt};
        for (const NoticeDue& d : due)
            if (d.notice == int(n))
                line.at = d.at;
        e.notices.push_back(std::move(line));
    }
    return e;
}

std::string DecisionText(const PolicyExplanation& e)
{
    if (e.reason == Admitted)
        return "admitted";
    std::string text = "denied, reason " + std::to_string(e.reason);
    const std::string info = LogInformationText(kLogDenied, e.reason);
    return info.empty() ? text : text + ": " + info;
}

std::string FormatExplanation(const PolicyExplanation& e)
{
    std::string out;
    auto line = [&](const char* label, const std::string& value) {
        char head[32];
        std::snprintf(head, sizeof head, "%-18s", label);
        out += head;
        out += value;
        out += '\n';
    };
    line("Caller:", e.account + " on " + e.server + "\\" + e.port + " at " + When(e.at));
    line("Decision:", DecisionText(e));
    switch (e.record) {
    case PolicyExplanation::Record::Own: line("Account:", "own section " + e.account); break;
    case PolicyExplanation::Record::FromDefault:
        line("Account:", "no section; the default profile would be assigned");
        break;
    case PolicyExplanation::Record::None: line("Account:", "no section, and the default profile is not assigned"); break;
    }
    line("Port limit:", Seconds(e.portMaxSession) +
                            (e.portHasSection ? " (port section " + e.server + "\\" + e.port + ")" : " (no port section)"));
    if (e.record == PolicyExplanation::Record::None)
        return out;
    line("No duplicate:", std::string(e.limits.noDuplicate ? "yes" : "no") + " (" + SourceText(e, e.sources.noDuplicate) + ")");
    line("Max session:", Seconds(e.limits.maxSessionTime) + " (" + SourceText(e, e.sources.maxSessionTime) + ")");
    line("Max total:", Seconds(e.limits.maxTotalTime) + " (" + SourceText(e, e.sources.maxTotalTime) + ")");
    line("Period limit:",
         (e.limits.HasPeriodLimit() ? std::to_string(e.limits.periodMax) + " s per " + PeriodName(e.limits.periodType)
                                    : std::string("none")) +
             " (" + SourceText(e, e.sources.period) + ")");
    line("Total used:", std::to_string(e.totalTime) + " s" +
                            (e.totalLeft ? ", " + std::to_string(*e.totalLeft) + " s left" : std::string()));
    if (e.periodLeft)
        line("Period used:", std::to_string(e.periodUsage) + " s, " + std::to_string(*e.periodLeft) + " s left");
    if (e.expiryDays <= 0)
        line("Expiry:", "never");
    else if (!e.expiresAt)
        line("Expiry:", std::to_string(e.expiryDays) + " days after the first connection (not connected yet)");
    else
        line("Expiry:", When(*e.expiresAt) + " (" + std::to_string(e.expiryDays) + " days after the first connection)");
    if (e.reason != Admitted)
        return out;
    if (e.cut)
        line("Session left:", std::to_string(std::int64_t(e.cut->at) - e.at) + " s, cut at " + When(e.cut->at) + ": " +
                                  CutText(e.cut->reason));
    else
        line("Session left:", "no limit");
    line("Static IP:", e.staticIP ? FormatAddress(e.staticIP) + " (" + e.staticIPSource + ")" : "from the RAS pool");
    line("Greeting:", e.greeting ? "\"" + *e.greeting + "\"" : std::string("none (no rule applies)"));
    for (const PolicyExplanation::NoticeLine& n : e.notices) {
        const std::string label = "Notice " + std::to_string(n.notice + 1) + ":";
        if (n.seconds <= 0)
            line(label.c_str(), "off");
        else if (!n.at)
            line(label.c_str(), "not sent (" + std::to_string(n.seconds) + " s before a cut)");
        else
            line(label.c_str(), When(*n.at) + " \"" + n.text + "\"");
    }
    return out;
}

std::string FormatExplanationCsv(const PolicyExplanation& e)
{
    std::string out = "item,value,source\n";
    auto row = [&](const std::string& item, const std::string& value, const std::string& source) {
        out += item + "," + QuotedCsvField(value) + "," + QuotedCsvField(source) + "\n";
    };
    row("decision", e.reason == Admitted ? "admitted" : "denied", "");
    row("reason", std::to_string(e.reason), e.reason == Admitted ? "" : LogInformationText(kLogDenied, e.reason));
    row("account", e.account,
        e.record == PolicyExplanation::Record::Own ? "own" :
        e.record == PolicyExplanation::Record::FromDefault ? "default" : "none");
    row("port max session", std::to_string(std::max(e.portMaxSession, 0)), e.portHasSection ? e.server + "\\" + e.port : "");
    if (e.record == PolicyExplanation::Record::None)
        return out;
    row("no duplicate", e.limits.noDuplicate ? "1" : "0", e.sources.noDuplicate);
    row("max session time", std::to_string(std::max(e.limits.maxSessionTime, 0)), e.sources.maxSessionTime);
    row("max total time", std::to_string(std::max(e.limits.maxTotalTime, 0)), e.sources.maxTotalTime);
    row("period max", std::to_string(e.limits.HasPeriodLimit() ? e.limits.periodMax : 0), e.sources.period);
    row("period type", std::to_string(e.limits.HasPeriodLimit() ? e.limits.periodType : 0), e.sources.period);
    row("total time", std::to_string(e.totalTime), "");
    row("total left", e.totalLeft ? std::to_string(*e.totalLeft) : "", "");
    row("period usage", std::to_string(e.periodUsage), "");
    row("period left", e.periodLeft ? std::to_string(*e.periodLeft) : "", "");
    row("expiry days", std::to_string(e.expiryDays), "");
    row("expires at", e.expiresAt ? std::to_string(*e.expiresAt) : "", "");
    if (e.reason != Admitted)
        return out;
    row("cut at", e.cut ? std::to_string(e.cut->at) : "", e.cut ? std::to_string(e.cut->reason) : "");
    row("session left", e.cut ? std::to_string(std::int64_t(e.cut->at) - e.at) : "", "");
    row("static ip", e.staticIP ? FormatAddress(e.staticIP) : "", e.staticIPSource);
    row("greeting", e.greeting ? *e.greeting : "", e.greeting ? "" : "none");
    for (const PolicyExplanation::NoticeLine& n : e.notices)
        row("notice " + std::to_string(n.notice + 1), n.at ? std::to_string(*n.at) : "", n.at ? n.text : "");
    return out;
}

} // namespace dm

#include "manager/core/policyedits.h"

#include "common/text.h"
#include "database/groupsettings.h"
#include "database/hardwarefile.h"
#include "database/profilevalues.h"
#include "database/userfile.h"
#include "manager/core/hardwaresettings.h"
#include "manager/core/usersettings.h"
#include "platform/files/profile.h"

namespace dm {

namespace {

std::string SectionOf(const PolicyTarget& target)
{
    switch (target.editor) {
    case PolicyEditor::Group: return "+" + target.name;
    case PolicyEditor::Default: return "Default";
    case PolicyEditor::Notifications: return "General";
    case PolicyEditor::Greetings: return "Greetings";
    default: return target.name;
    }
}

bool InUserFile(PolicyEditor editor) { return editor == PolicyEditor::User || editor == PolicyEditor::Group; }

// What the editor shows; empty values stand for a section the file lacks.
PolicyValues Shown(std::string_view directory, const PolicyTarget& target, bool& exists)
{
    exists = true;
    switch (target.editor) {
    case PolicyEditor::User: {
        UserSettings users;
        users.SetFile(UserFileIn(directory));
        const auto record = users.ReadAccount(target.name);
        exists = record.has_value();
        UserRecord blank;
        return PolicyValuesOf(record ? *record : blank);
    }
    case PolicyEditor::Group: {
        const std::string file = UserFileIn(directory);
        exists = !GetPrivateProfileSection(SectionOf(target), file).empty();
        return PolicyValuesOf(ReadGroupLimits(GetPrivateProfileSection(SectionOf(target), file)));
    }
    default: break;
    }
    HardwareSettings hw;
    hw.SetFile(HardwareFileIn(directory));
    switch (target.editor) {
    case PolicyEditor::Port: {
        const std::size_t slash = target.name.find('\\');
        const std::string server = target.name.substr(0, slash);
        const std::string port = slash == std::string::npos ? std::string() : target.name.substr(slash + 1);
        return PolicyValuesOf(hw.ReadPort(server, port), hw.ReadPortAccessLists(server, port));
    }
    case PolicyEditor::Default: return PolicyValuesOf(LoadDefaultProfile(hw.File()));
    case PolicyEditor::Notifications: return PolicyValuesOf(LoadNotificationSettings(hw.File()));
    default: return PolicyValuesOf(LoadGreetingRules(hw.File()));
    }
}

void Put(PolicyValues& values, const std::string& name, const std::string& value)
{
    for (auto& [key, old] : values)
        if (EqualNoCase(key, name)) {
            old = value;
            return;
        }
    values.emplace_back(name, value);
}

} // namespace

PolicyValues ShowPolicy(std::string_view databaseDirectory, const PolicyTarget& target)
{
    bool exists = true;
    return Shown(databaseDirectory, target, exists);
}

PolicySetResult SetPolicy(std::string_view databaseDirectory, const PolicyTarget& target,
                          const PolicyValues& changes)
{
    for (const auto& [name, value] : changes)
        if (const auto message = CheckPolicyValue(target.editor, name, value))
            return {PolicySetResult::Refused, *message};

    bool exists = true;
    const PolicyValues shown = Shown(databaseDirectory, target, exists);
    PolicyValues edited = shown;
    for (const auto& [name, value] : changes)
        Put(edited, name, value);
    // The rules the pages apply as they save.
    if (const std::string* periodMax = FindPolicyValue(edited, "PeriodMax"); periodMax && *periodMax == "0")
        Put(edited, "PeriodType", "0");
    if (target.editor == PolicyEditor::Notifications) {
        for (const char* notice : {"Notify1", "Notify2"}) {
            const std::string text = std::string(notice) + "Text";
            if (*FindPolicyValue(edited, notice) != "0")
                continue;
            if (!FindPolicyValue(edited, text)->empty() && FindPolicyValue(changes, text) != nullptr)
                return {PolicySetResult::Refused, text + " needs " + notice + " above 0: a notice that is off "
                                                                                "keeps no text."};
            Put(edited, text, "");
        }
    }

    const std::string section = SectionOf(target);
    if (InUserFile(target.editor)) {
        ProfileBatch batch(UserFileIn(databaseDirectory));
        if (WritePolicyChanges(batch, target.editor, section, exists ? shown : PolicyValues(), edited) > 0 &&
            !batch.Commit())
            return {PolicySetResult::Failed, UserFileIn(databaseDirectory) + " could not be written."};
        return {};
    }
    HardwareSettings hw;
    hw.SetFile(HardwareFileIn(databaseDirectory));
    if (!hw.SaveChanges(target.editor, section, shown, edited))
        return {PolicySetResult::Failed, hw.File() + " could not be written."};
    return {};
}

} // namespace dm

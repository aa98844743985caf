#include "manager/core/usersettings.h"

#include "common/text.h"
#include "database/policyengine.h"
#include "database/profilevalues.h"
#include "common/inifile.h"
#include "database/userfile.h"
#include "manager/core/databasefile.h"
#include "platform/files/profile.h"

#include <cstdio>

namespace dm {

namespace {

std::string ProgressText(std::uint64_t done, std::uint64_t total, std::size_t records,
                         const std::string& section)
{
    const int percent = total == 0 ? 0 : static_cast<int>(100 * done / total);
    char head[96];
    std::snprintf(head, sizeof head, "Loading User Data (%d%%, %d records). Processing ", percent,
                  static_cast<int>(records));
    return head + section + ".";
}

} // namespace

std::string UserSettings::FileNameIn(std::string_view databaseDirectory)
{
    return UserFileIn(databaseDirectory);
}

void UserSettings::SetFile(std::string file)
{
    if (file != m_file)
        m_seenStamp.reset();
    m_file = std::move(file);
}

bool UserSettings::Load(const ProgressSink& progress)
{
    const FileStamp stamp = StampOf(m_file);
    if (m_seenStamp && *m_seenStamp == stamp)
        return false;
    m_seenStamp = stamp;

    m_records.clear();
    m_base.clear();
    m_loadError = DatabaseFileError(m_file);
    if (m_loadError != 0) {
        if (progress)
            progress("Ready");
        return true;
    }
    // One reading of the file for every section.
    const std::shared_ptr<const IniFile> ini = m_file.empty() ? nullptr : LoadPrivateProfile(m_file);
    const std::vector<std::string> sections = ini ? ini->SectionNames() : std::vector<std::string>();
    std::uint64_t listLength = 0;
    for (const std::string& name : sections)
        listLength += name.size() + 1;

    std::uint64_t done = 0;
    for (const std::string& name : sections) {
        if (name.empty() || name[0] != '+') {
            done += name.size() + 1;
            UserRecord record = ReadUserRecord(name, ini->Entries(name));
            m_base.try_emplace(LowerAscii(name), record);
            m_records.push_back(std::move(record));
        }
        if (progress)
            progress(ProgressText(done, listLength, m_records.size(), name));
    }
    if (progress)
        progress("Ready");
    return true;
}

bool UserSettings::Save()
{
    if (m_file.empty())
        return false;
    ProfileBatch batch(m_file);
    std::vector<std::pair<std::string, UserRecord>> after;
    after.reserve(m_records.size());
    for (const UserRecord& record : m_records) {
        if (record.accountKey.empty())
            continue;
        std::string key = LowerAscii(record.accountKey);
        const auto it = m_base.find(key);
        after.emplace_back(std::move(key),
                           WriteUserRecordChanges(batch, record, it == m_base.end() ? nullptr : &it->second));
    }
    if (batch.Size() == 0)
        return true;
    if (!batch.Commit())
        return false;
    for (auto& [key, record] : after)
        m_base.insert_or_assign(std::move(key), std::move(record));
    return true;
}

std::optional<UserRecord> UserSettings::ReadAccount(std::string_view accountKey) const
{
    if (m_file.empty())
        return std::nullopt;
    const auto keys = GetPrivateProfileSection(accountKey, m_file);
    if (keys.empty())
        return std::nullopt;
    return ReadUserRecord(std::string(accountKey), keys);
}

void UserSettings::BeginEdit(UserRecord record, std::optional<UserRecord> shown)
{
    m_edit = std::move(record);
    m_editShown = std::move(shown);
}

bool UserSettings::CommitEditedUser()
{
    if (m_file.empty() || m_edit.accountKey.empty())
        return false;
    ProfileBatch batch(m_file);
    UserRecord after = WriteUserRecordChanges(batch, m_edit, m_editShown ? &*m_editShown : nullptr);
    if (batch.Size() > 0 && !batch.Commit())
        return false;
    m_editShown = after;
    m_base.insert_or_assign(LowerAscii(after.accountKey), after);
    const int index = FindAccount(after.accountKey);
    if (index >= 0)
        m_records[static_cast<std::size_t>(index)] = after;
    else
        m_records.push_back(after);
    m_editIndex = index >= 0 ? index : static_cast<int>(m_records.size()) - 1;
    return true;
}

int UserSettings::UserLimitState(std::size_t index, std::time_t now) const
{
    return index < m_records.size() ? dm::UserLimitState(m_records[index], now) : 0;
}

bool UserSettings::DeleteAccountSection(std::string_view accountKey)
{
    if (m_file.empty())
        return false;
    m_base.erase(LowerAscii(accountKey));
    return DeletePrivateProfileSection(accountKey, m_file);
}

int UserSettings::FindAccount(std::string_view accountKey) const
{
    for (std::size_t i = 0; i < m_records.size(); ++i)
        if (EqualNoCase(m_records[i].accountKey, accountKey))
            return static_cast<int>(i);
    return -1;
}

int UserLimitState(const UserRecord& record, std::time_t now)
{
    // The same tests as the server component's refusals, so an account the
    // view marks is one that would be refused, and the other way round.
    const auto expires = PolicyEngine::ExpiresAt(record);
    if (expires && static_cast<std::int64_t>(now) >= static_cast<std::int64_t>(*expires))
        return 1;
    if (PolicyEngine::TotalTimeReached(LimitsOf(record), record.totalTime))
        return 2;
    return 0;
}

} // namespace dm

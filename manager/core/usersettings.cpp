#include "manager/core/usersettings.h"

#include "common/text.h"
#include "database/policyengine.h"
#include "database/profilevalues.h"
#include "common/inifile.h"
#include "common/inistore.h"
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

    Read(progress);
    return true;
}

void UserSettings::LoadAccounts(const std::function<bool(std::string_view accountKey)>& accepts)
{
    m_seenStamp.reset();
    m_base.clear();
    m_records = ReadRecords(m_file, accepts, m_loadError);
    m_base = m_records;
}

std::vector<UserRecord> UserSettings::ReadRecords(const std::string& file,
                                                  const std::function<bool(std::string_view accountKey)>& accepts,
                                                  unsigned long& error)
{
    std::vector<UserRecord> records;
    error = DatabaseFileError(file);
    if (file.empty() || error != 0)
        return records;
    const bool read = ForEachPrivateProfileSection(
        [&accepts](std::string_view name) { return !IsGroupSection(name) && (!accepts || accepts(name)); },
        [&records](std::string_view name, const std::vector<IniFile::EntryView>& keys) {
            records.push_back(ReadUserRecord(name, keys));
        },
        file);
    // A file, computer or share that is not there reads as a new database;
    // a file that can be read but whose read failed partway is an error,
    // never a table short of accounts.
    if (!read) {
        error = DatabaseFileError(file);
        if (error == 0 && CheckProfileFile(file) == 0)
            error = 5;
    }
    return records;
}

void UserSettings::Read(const ProgressSink& progress)
{
    m_records.clear();
    m_base.clear();
    m_loadError = DatabaseFileError(m_file);
    if (m_loadError != 0) {
        if (progress)
            progress("Ready");
        return;
    }
    // One reading of the file for every section.
    const std::shared_ptr<const IniFile> ini = m_file.empty() ? nullptr : LoadPrivateProfile(m_file);
    if (ini) {
        std::uint64_t listLength = 0;
        std::size_t accounts = 0;
        ini->ForEachSectionName([&](std::string_view name) {
            listLength += name.size() + 1;
            accounts += IsGroupSection(name) ? 0 : 1;
        });
        m_records.reserve(accounts);
        std::uint64_t done = 0;
        ini->ForEachSection([&](std::string_view name, const std::vector<IniFile::EntryView>& keys) {
            if (!IsGroupSection(name)) {
                done += name.size() + 1;
                m_records.push_back(ReadUserRecord(name, keys));
            }
            if (progress)
                progress(ProgressText(done, listLength, m_records.size(), std::string(name)));
        });
        m_base = m_records;
    }
    if (progress)
        progress("Ready");
}

const UserRecord* UserSettings::BaseOf(std::size_t index) const
{
    if (index >= m_base.size() || index >= m_records.size() || m_base[index].accountKey.empty() ||
        !EqualNoCase(m_base[index].accountKey, m_records[index].accountKey))
        return nullptr;
    return &m_base[index];
}

void UserSettings::SetBase(std::size_t index, UserRecord record)
{
    if (m_base.size() <= index)
        m_base.resize(index + 1);
    m_base[index] = std::move(record);
}

bool UserSettings::Save()
{
    if (m_file.empty())
        return false;
    ProfileBatch batch(m_file);
    std::vector<std::pair<std::size_t, UserRecord>> after;
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        const UserRecord& record = m_records[i];
        if (record.accountKey.empty())
            continue;
        // An account as it was loaded or last written has nothing to write.
        const UserRecord* base = BaseOf(i);
        if (base && *base == record)
            continue;
        after.emplace_back(i, WriteUserRecordChanges(batch, record, base));
    }
    if (batch.Size() == 0)
        return true;
    if (!batch.Commit())
        return false;
    for (auto& [index, record] : after)
        SetBase(index, std::move(record));
    return true;
}

std::optional<UserRecord> UserSettings::ReadAccount(std::string_view accountKey) const
{
    if (m_file.empty())
        return std::nullopt;
    const auto section = ReadPrivateProfileSection(accountKey, m_file);
    if (!section || section->entries.empty())
        return std::nullopt;
    return ReadUserRecord(std::string(accountKey), section->entries);
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
    const int index = FindAccount(after.accountKey);
    if (index >= 0)
        m_records[static_cast<std::size_t>(index)] = after;
    else
        m_records.push_back(after);
    m_editIndex = index >= 0 ? index : static_cast<int>(m_records.size()) - 1;
    SetBase(static_cast<std::size_t>(m_editIndex), after);
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
    const int index = FindAccount(accountKey);
    if (index >= 0 && static_cast<std::size_t>(index) < m_base.size())
        m_base[static_cast<std::size_t>(index)].accountKey.clear();
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

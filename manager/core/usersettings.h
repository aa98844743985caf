#pragma once
// The document's copy of the user settings file Dialmind.usr (format in
// database/userfile.h): the account table the document keeps,
// the edit record the user pages fill, and the change detection that lets the
// refresh cycle reload only when the file changed.
//
// The server components write usage counters into the same file while the
// manager runs. A save therefore writes, per account, only the values that
// differ from what the manager last loaded (or last wrote) for it, so that a
// counter the server component changed in between survives unless the
// manager changed that same value. A new account writes all its values.

#include "common/userinteraction.h"
#include "database/userrecord.h"
#include "platform/files/filestamp.h"

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dm {

class UserSettings {
public:
    // "%s\Dialmind.usr" of a database directory.
    static std::string FileNameIn(std::string_view databaseDirectory);

    // Changing the file forgets the remembered modification time.
    void SetFile(std::string file);
    const std::string& File() const { return m_file; }

    // Reloads the table when the file changed since the last load (always the
    // first time); false when nothing was reloaded. Shows "Loading User Data
    // (%d%%, %d records). Processing %s." per section and "Ready".
    // A file that exists but cannot be read empties the table and is kept
    // as LoadError (see databasefile.h); the caller reports it.
    bool Load(const ProgressSink& progress = {});
    // Loads only the accounts whose section name accepts takes, in the same
    // one pass over the file (a command that shows a few accounts of many);
    // the next Load reloads the whole table.
    void LoadAccounts(const std::function<bool(std::string_view accountKey)>& accepts);
    // The accounts whose section name accepts takes (every account without
    // it), in file order, read in one pass a piece at a time: a table that is
    // only shown (dmctl users) costs its records, not the file's text nor a
    // base to save against. error is set as LoadError is, and to 5 when the
    // file could not be read through.
    static std::vector<UserRecord> ReadRecords(const std::string& file,
                                               const std::function<bool(std::string_view accountKey)>& accepts,
                                               unsigned long& error);
    // 0, or the error of the last Load's file.
    unsigned long LoadError() const { return m_loadError; }
    // Forget the remembered modification time, so that the next Load reloads.
    void Invalidate() { m_seenStamp.reset(); }
    // Writes the changed values of every record (see above).
    bool Save();
    // The account's record as the file holds it now, or nothing when the file
    // has no section of that name.
    std::optional<UserRecord> ReadAccount(std::string_view accountKey) const;
    // Starts editing record; shown is what the file held for it when the
    // editor opened (none for an account without a section).
    void BeginEdit(UserRecord record, std::optional<UserRecord> shown);
    // Writes the keys of the edit record that differ from what the editor
    // showed (every limit of a new account), then takes the result into the
    // table. An Apply that follows compares with what this one wrote.
    bool CommitEditedUser();
    // 1 expired, 2 total time above its maximum, else 0.
    int UserLimitState(std::size_t index, std::time_t now) const;
    // Removes the account's whole section from the file.
    bool DeleteAccountSection(std::string_view accountKey);

    // The index of an account (compared without regard to case), or -1.
    int FindAccount(std::string_view accountKey) const;

    std::vector<UserRecord>& Records() { return m_records; }
    const std::vector<UserRecord>& Records() const { return m_records; }
    UserRecord& EditRecord() { return m_edit; }
    int EditIndex() const { return m_editIndex; }
    void SetEditIndex(int index) { m_editIndex = index; }

private:
    std::string m_file;
    std::vector<UserRecord> m_records;
    // What the file held for each account at the last load or save, at the
    // account's index in m_records (an empty key where there is none): the
    // base against which a save finds the manager's own changes.
    std::vector<UserRecord> m_base;
    const UserRecord* BaseOf(std::size_t index) const;
    void Read(const ProgressSink& progress);
    void SetBase(std::size_t index, UserRecord record);
    UserRecord m_edit;
    std::optional<UserRecord> m_editShown;
    int m_editIndex = 0;
    std::optional<FileStamp> m_seenStamp;
    unsigned long m_loadError = 0;
};

// 1 when the account has an expiry, has connected, and now has reached its
// first connection plus the expiry in days; 2 when it has a maximum total
// time and its total time has reached it; else 0. The same tests the server
// component refuses by.
int UserLimitState(const UserRecord& record, std::time_t now);

} // namespace dm

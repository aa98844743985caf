#pragma once
// Reading and writing Dialmind.usr: account sections ("DOMAIN\name") and
// group sections ("+SOURCE\group"). The manager's account table and dmsim's
// usage counters both go through these functions.

#include "database/limits.h"
#include "database/userrecord.h"

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dm {

class ProfileBatch;

// "%s\Dialmind.usr" of a database directory.
std::string UserFileIn(std::string_view databaseDirectory);
// Group sections begin with "+"; every other section is an account's.
inline bool IsGroupSection(std::string_view section) { return !section.empty() && section.front() == '+'; }

// One account section's keys (missing keys read as 0).
UserRecord ReadUserRecord(const std::string& section,
                          const std::vector<std::pair<std::string, std::string>>& keys);
UserRecord ReadUserRecord(std::string_view section,
                          const std::vector<std::pair<std::string_view, std::string_view>>& keys);
// One group section's keys as limits.
Limits ReadGroupLimits(const std::vector<std::pair<std::string, std::string>>& keys);
Limits ReadGroupLimits(const std::vector<std::pair<std::string_view, std::string_view>>& keys);

// The manager's save of one record: the values that differ from base are
// written (every limit and the address when there is no base: a new
// account). The counters belong to the server component and are only ever
// written as the 0 of a reset; PeriodStamp, TotalDenieds and Lasted never.
// Returns what the file holds for the account afterwards.
UserRecord WriteUserRecordChanges(ProfileBatch& batch, const UserRecord& record, const UserRecord* base);

// The server component's write of one account's usage counters; withLimits
// also writes its limits and static address (an account that has just
// received the default profile).
void WriteUsageCounters(ProfileBatch& batch, const UserRecord& record, bool withLimits);

// The whole file at once, as the server component reads it.
struct UserDatabase {
    std::map<std::string, UserRecord> accounts; // by upper-case account key; the first section wins
    std::map<std::string, Limits> groups;       // by upper-case "SOURCE\group", without the "+"

    UserRecord* FindAccount(std::string_view account);
    const UserRecord* FindAccount(std::string_view account) const;
    const Limits* FindGroup(std::string_view group) const;
    // Adds a record (or returns the one of that name already there).
    UserRecord& AddAccount(UserRecord record);
};
UserDatabase LoadUserDatabase(std::string_view file);
// Only what one caller's decision reads: the account's section and the
// sections of the groups named, as LoadUserDatabase would give them.
UserDatabase LoadUserDatabaseFor(std::string_view file, std::string_view account,
                                 const std::vector<std::string>& groups);

} // namespace dm

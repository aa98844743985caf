#pragma once
// The user property sheet's rules without Qt: finding the account to edit,
// the statistics rows and their reset, the static address and the RAS
// permission bits. (The time limits are the database's limits form.)

#include "database/userrecord.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dm {

class UserSettings;

// Prepares the settings' edit record for account from what the file holds
// now (names compared without regard to case); an account without a section
// gets a new record with every value 0. Returns true when the account is new.
bool BeginUserEdit(UserSettings& users, const std::string& account);

// The rows of the General page's statistics list, in order.
enum UserStatisticRow : int {
    StatTotalUsage = 0,
    StatSessions,
    StatFirstSession,
    StatLastSession,
    StatLastLasted,
    StatPeriodUsage,
    StatRowCount
};
struct UserStatistic {
    std::string label;
    std::string value;
};
std::vector<UserStatistic> UserStatistics(const UserRecord& record);
// Reset may act on a selection that does not hold "Last session lasted".
bool CanResetStatistics(const std::vector<int>& selectedRows);
// Puts the counter of a row back to 0 (total usage, sessions, first and last
// connection, period usage); the last session's length is not reset.
void ResetStatistic(UserRecord& record, int row);

// a.b.c.d packed as a*2^24 + b*2^16 + c*2^8 + d; none when a part is not a
// number from 0 to 255 (packing 300 would change the next part).
std::optional<std::uint32_t> PackAddress(const std::array<std::string, 4>& octets);
std::array<std::string, 4> UnpackAddress(std::uint32_t address);
extern const char kOctetRangeMessage[];

// RAS permission bits: 8 dial-in allowed; call-back 1 none, 4 set by the
// caller, 2 preset number.
enum CallbackChoice : int { CallbackNone = 0, CallbackByCaller = 1, CallbackPreset = 2, CallbackUnset = -1 };
CallbackChoice CallbackOf(std::uint8_t bits);
std::uint8_t PermissionBits(bool dialIn, CallbackChoice callback);

} // namespace dm

#pragma once
// Check Access: what the server component would decide for an account
// calling a server's port at a moment, and why. The manager's Check Access
// dialog and `dmctl policy explain` both explain through ExplainCaller, so
// their texts cannot differ for the same caller.

#include "database/policyexplain.h"

#include <cstdint>
#include <string>

namespace dm {

// The caller "DOMAIN\name" with the groups the RAS service of `server`
// would learn for it, read from the network accounts: the account's domain
// is found through its controller; an account named after the server
// itself is one of the server's own. False with a reason when the domain
// has no reachable controller or does not know the account.
bool ReadCallerIdentity(const std::string& account, const std::string& server, CallerIdentity& caller,
                        std::string& problem);

// Reads Dialmind.hw and Dialmind.usr of the database directory (as the
// system names it) and explains the caller's call; nothing is written.
PolicyExplanation ExplainCaller(const std::string& databaseDirectory, const CallerIdentity& caller,
                                const std::string& server, const std::string& port, std::uint32_t at,
                                int portsHeld);

} // namespace dm

#pragma once
// Service states of the emulated computers, from machines/NAME/services.ini:
//
//   [Services]
//   RemoteAccess=4
//
// The numbers are the platform's current-state numbers (below). A service
// without an entry is not installed.

#include <string_view>

namespace dm {

namespace service {
constexpr unsigned long Stopped = 1;
constexpr unsigned long StartPending = 2;
constexpr unsigned long StopPending = 3;
constexpr unsigned long Running = 4;
constexpr unsigned long ContinuePending = 5;
constexpr unsigned long PausePending = 6;
constexpr unsigned long Paused = 7;
} // namespace service

// The state of a service of a computer ("" the local one): 0 and the state;
// 1060 when the service has no entry (or an entry that is no number);
// 53 when the computer is unknown.
unsigned long QueryServiceState(std::string_view service, unsigned long& state,
                                std::string_view computer = "");

// Enters a state (dmctl, demo networks, dmsim). False when the computer is
// unknown or the file cannot be written.
bool SetServiceState(std::string_view computer, std::string_view service, unsigned long state);
// Removes the entry: the service is then not installed.
bool RemoveService(std::string_view computer, std::string_view service);

} // namespace dm

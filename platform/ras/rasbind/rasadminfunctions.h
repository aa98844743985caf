#pragma once
// The nine entry points of the RAS administration library, bound by name at
// run time and held for the whole run; each may be missing.

#include "platform/ras/rassapi/rassapi.h"

#include <array>
#include <string>

namespace dm {

class SharedLibrary;
class UserInteraction;

struct RasAdminFunctions {
    PFN_RasAdminPortEnum RasAdminPortEnum = nullptr;
    PFN_RasAdminFreeBuffer RasAdminFreeBuffer = nullptr;
    PFN_RasAdminGetErrorString RasAdminGetErrorString = nullptr;
    PFN_RasAdminPortGetInfo RasAdminPortGetInfo = nullptr;
    PFN_RasAdminPortDisconnect RasAdminPortDisconnect = nullptr;
    PFN_RasAdminPortClearStatistics RasAdminPortClearStatistics = nullptr;
    PFN_RasAdminUserGetInfo RasAdminUserGetInfo = nullptr;
    PFN_RasAdminUserSetInfo RasAdminUserSetInfo = nullptr;
    PFN_RasAdminServerGetInfo RasAdminServerGetInfo = nullptr;

    // The entry point names in binding order; a missing entry's message shows
    // its position in this table, counted from 1.
    static constexpr std::array<const char*, 9> kNames = {
        "RasAdminPortEnum",       "RasAdminFreeBuffer",          "RasAdminGetErrorString",
        "RasAdminPortGetInfo",    "RasAdminPortDisconnect",      "RasAdminPortClearStatistics",
        "RasAdminUserGetInfo",    "RasAdminUserSetInfo",         "RasAdminServerGetInfo",
    };

    // Whether the entry point at position index (0 to 8) is bound.
    bool IsBound(std::size_t index) const;
    bool AllBound() const;
    void Clear() { *this = RasAdminFunctions(); }
};

// The caption of the binding's messages.
inline constexpr const char* kRasBindCaption = "Dialminder";

// Loads "RASSAPI.DLL" into library and binds the nine entry points in table
// order. A library that cannot be loaded is reported with one message and
// gives false (every entry point stays missing); afterwards each missing entry
// point is reported with its own message, in table order, and the result is
// true.
bool BindRasAdminLibrary(SharedLibrary& library, RasAdminFunctions& functions,
                         UserInteraction& ui);

// The text that reports the entry point at position index (0 to 8) missing.
std::string MissingEntryPointText(std::size_t index);

} // namespace dm

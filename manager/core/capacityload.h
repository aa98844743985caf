#pragma once
// Reads what the capacity figures need from the activity log: the sessions
// of every server over a window of whole days, from their session-end
// records, and the ports each server's records name. Each day file is read
// once, and only a session's server, start and end are kept, so a year of
// a million sessions fits in little memory.
//
// The day after the window is read as well: a session still running at the
// window's end is logged when it ends.

#include "common/activitylog.h"
#include "manager/core/capacitymodel.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace dm {

struct CapacityHistory {
    CapacityWindow window;
    // Servers in name order (upper case compares), each with the ports its
    // records name (connects, denials and session ends of the window's days).
    std::vector<CapacityServer> servers;
    std::size_t filesRead = 0;
    // Day files (named as the system names them) that are there but could
    // not be read: their sessions are missing, and the caller says so.
    std::vector<std::string> unreadable;
};

class CapacityLoader {
public:
    // Called before each day file with how many are done and how many
    // there are; returning false stops the load (Load then returns false).
    using Progress = std::function<bool(int done, int total)>;

    explicit CapacityLoader(PathResolver resolver) : m_resolver(std::move(resolver)) {}

    // The window's day files under the database directory. `server`
    // restricts the servers to one ("" or "*": all, compared without regard
    // to case).
    bool Load(const std::string& databaseDirectory, const CapacityWindow& window, const std::string& server,
              CapacityHistory& history, const Progress& progress = {}) const;

private:
    PathResolver m_resolver;
};

// Sets the ports of the servers named in `installed` (upper-case names
// compare) to the number installed, and adds servers that it names and the
// history lacks, without sessions. Servers it does not name, or names with
// no ports (their ports could not be read), keep the number of ports their
// records name.
void SetInstalledPorts(CapacityHistory& history, const std::map<std::string, int>& installed);

} // namespace dm

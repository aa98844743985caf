#pragma once
// The port and account operations of the RAS administration library, over
// the entry points bound once at start-up. An operation whose entry point is
// missing is not performed and reports failure (the views then show the port
// as not available).

#include "common/userinteraction.h"
#include "platform/accounts/accountdatabase.h"
#include "manager/core/serverentry.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace dm {

struct RasAdminFunctions;
struct PortLiveData;

class RasAccess {
public:
    // functions may be null (the library could not be loaded).
    RasAccess(const RasAdminFunctions* functions, UserInteraction& ui);
    ~RasAccess();

    // Reads the master share (when the server names one) into
    // databaseDirectory, then enumerates the server's ports and re-reads their
    // users. Sets changed when the number of ports or of busy ports differs
    // from before.
    bool RefreshServerPorts(ServerEntry& server, std::string& databaseDirectory, bool& changed);
    bool RefreshPortUsers(ServerEntry& server);
    bool GetPortLiveData(std::string_view server, std::string_view port, PortLiveData& data);
    PortCondition GetPortCondition(std::string_view server, std::string_view port,
                                   std::string& user, std::uint32_t& sessionStart);
    void DisconnectPort(std::string_view server, std::string_view port);
    void ClearPortStatistics(std::string_view server, std::string_view port);
    // The privilege bits (8 dial-in, 1 no call-back, 2 preset number, 4 set
    // by caller), 0 on failure. server is passed as given.
    std::uint8_t GetUserRasPermission(std::string_view server, std::string_view account,
                                      std::string& callbackNumber);
    bool SetUserRasPermission(std::string_view server, std::string_view account,
                              std::uint8_t privilege, std::string_view callbackNumber);
    // The change SetUserRasPermission makes, for many accounts of one server
    // in one write of its account database (the library would write it once
    // an account), in order, stopping at the first that fails: the number
    // set before it, all of them when none failed. Accounts whose permission
    // is already so are not written.
    std::size_t SetUserRasPermissions(std::string_view server, std::span<const RasPermissionChange> changes);
    // The privilege bits of each account (its name after a domain's
    // backslash), as GetUserRasPermission gives them one by one, read from one
    // loading of the server's account database: a list of many accounts
    // costs a look-up each, not a reading of the database each.
    std::vector<std::uint8_t> GetUserRasPermissions(std::string_view server,
                                                    std::span<const std::string_view> accounts);
    // Total ports and ports in use of a server.
    bool GetServerPortTotals(std::string_view server, int& totalPorts, int& portsInUse);
    // Line conditions 2 (disconnected) to 7 (initializing); 1 and unknown
    // codes mean the port is not operational.
    static bool IsOperational(std::uint32_t lineCondition);

private:
    const RasAdminFunctions* m_functions;
    UserInteraction& m_ui;
};

} // namespace dm

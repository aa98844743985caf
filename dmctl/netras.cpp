// dmctl net subcommands that build domains, accounts, RAS ports and sessions,
// and the demo network.

#include "common/numbers.h"
#include "common/text.h"
#include "common/timeformat.h"
#include "dmctl/command.h"
#include "dmctl/netcommands.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/system/computersetup.h"
#include "demo/demonetwork.h"
#include "platform/files/network.h"
#include "platform/accounts/networkdirectory.h"
#include "platform/ras/rasportstore.h"
#include "platform/system/services.h"
#include "platform/system/widetext.h"

#include <cstdio>

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::netrasgroup {

int Fail(const std::string& text)
{
    std::fprintf(stderr, "dmctl net: %s\n", text.c_str());
    return 1;
}

// The computer holding a domain's accounts: its controller, or a computer of
// that name (a server's own accounts).
std::string AccountHolder(const std::string& domain, std::string& error)
{
    dm::NetworkDirectory directory;
    directory.Load();
    if (const dm::DomainEntry* d = directory.FindDomain(domain)) {
        if (d->controller.empty())
            error = "the domain " + domain + " has no controller";
        return d->controller;
    }
    if (dm::Network::ComputerDir(domain))
        return domain;
    error = "no domain or computer '" + domain + "'";
    return {};
}

int RunAddDomain(const std::vector<std::string>& raw)
{
    dmctl::Words args;
    int status = 0;
    if (!dmctl::ReadNetWords("add-domain", raw, {2, 2, {"--provider", "--comment"}, {}, {}}, args, status))
        return status;
    const std::string& domain = args.positional[0];
    const std::string controller = args.positional[1] == "-" ? std::string() : args.positional[1];
    if (!controller.empty() && dm::PrepareComputer(controller).empty())
        return Fail("'" + controller + "' cannot be a computer name");
    if (!dm::NetworkDirectory::AddDomain(domain, controller,
                                         args.Get("--provider", dm::NetworkDirectory::kWindowsProvider),
                                         args.Get("--comment")))
        return Fail("cannot add the domain '" + domain + "' to network.ini");
    if (!controller.empty())
        if (unsigned long error = dm::AccountDatabase(controller).SetDomainName(domain))
            return dmctl::FailWithWinError("net", "cannot write the accounts of " + controller, error);
    return 0;
}

int RunAddUser(const std::vector<std::string>& raw)
{
    dmctl::Words args;
    int status = 0;
    if (!dmctl::ReadNetWords("add-user", raw,
                             {2, 2, {"--full-name", "--comment", "--rights", "--callback", "--type"}, {"--disabled"}, {}},
                             args, status))
        return status;
    std::string error;
    const std::string holder = AccountHolder(args.positional[0], error);
    if (!error.empty())
        return Fail(error);
    dm::UserAccount user;
    user.name = args.positional[1];
    if (!dm::AccountDatabase::IsValidNewUserName(user.name))
        return Fail("a user name is 1 to " + std::to_string(dm::AccountDatabase::kMaxUserName) +
                    " characters without [ ] , \\ = or a line break");
    user.fullName = args.Get("--full-name");
    user.comment = args.Get("--comment");
    user.disabled = args.Has("--disabled");
    user.callbackNumber = args.Get("--callback");
    const std::optional<std::uint32_t> rights = dm::ParseUInt32DecimalOrHex(args.Get("--rights", "1"), 255);
    if (!rights)
        return Fail("--rights must be a number from 0 to 255");
    user.rasPrivilege = static_cast<std::uint8_t>(*rights);
    if (args.Has("--type")) {
        user.type = dm::AccountDatabase::ParseType(args.Get("--type"));
        if (!dm::EqualNoCase(dm::AccountDatabase::TypeName(user.type), args.Get("--type")))
            return Fail("--type is one of Normal, TempDuplicate, Workstation, Server, InterdomainTrust");
    }
    dm::AccountDatabase accounts(holder);
    if (unsigned long e = accounts.Load())
        return dmctl::FailWithWinError("net", "cannot read the accounts of " + holder, e);
    if (const dm::UserAccount* existing = accounts.FindUser(user.name))
        user.rid = existing->rid;
    if (unsigned long e = accounts.Store({user}, {}, {}))
        return dmctl::FailWithWinError("net", "cannot add the user '" + user.name + "'", e);
    return 0;
}

int RunAddGroup(const std::vector<std::string>& raw)
{
    dmctl::Words args;
    int status = 0;
    if (!dmctl::ReadNetWords("add-group", raw, {2, dmctl::Syntax::Unlimited, {"--comment"}, {"--local"}, {}},
                             args, status))
        return status;
    std::string error;
    const std::string holder = AccountHolder(args.positional[0], error);
    if (!error.empty())
        return Fail(error);
    const bool local = args.Has("--local");
    const std::string& name = args.positional[1];
    dm::AccountDatabase accounts(holder);
    if (unsigned long e = accounts.Load())
        return dmctl::FailWithWinError("net", "cannot read the accounts of " + holder, e);
    dm::GroupAccount group;
    if (const dm::GroupAccount* existing = local ? accounts.FindLocalGroup(name) : accounts.FindGlobalGroup(name))
        group = *existing;
    group.name = name;
    if (args.Has("--comment") || group.comment.empty())
        group.comment = args.Get("--comment", group.comment);
    std::vector<dm::GroupAccount> groups{group};
    unsigned long e = local ? accounts.Store({}, {}, groups) : accounts.Store({}, groups, {});
    if (e != 0)
        return dmctl::FailWithWinError("net", "cannot add the group '" + name + "'", e);
    for (std::size_t i = 2; i < args.positional.size(); ++i)
        if (unsigned long m = accounts.AddMember(name, args.positional[i], local))
            return dmctl::FailWithWinError("net", "cannot add '" + args.positional[i] + "' to " + name, m);
    return 0;
}

int RunAddPort(const std::vector<std::string>& raw)
{
    dmctl::Words args;
    int status = 0;
    if (!dmctl::ReadNetWords("add-port", raw,
                             {2, 2, {"--device-type", "--device-name", "--media", "--speed", "--condition"}, {}, {}},
                             args, status))
        return status;
    const std::string& computer = args.positional[0];
    if (dm::ToWide(args.positional[1]).size() > dm::RasPortStore::kMaxPortName)
        return dmctl::FailWithWinError("net", "the port name '" + args.positional[1] + "' is longer than " +
                                                  std::to_string(dm::RasPortStore::kMaxPortName) + " characters",
                                       dm::winerr::InvalidParameter);
    if (!dm::Network::ComputerDir(computer))
        return dmctl::FailWithWinError("net", "no computer '" + computer + "'", dm::winerr::BadNetPath);
    dm::RasPortStore store(computer);
    dm::RasPortRecord port;
    const bool exists = store.Check() == 0 && store.Find(args.positional[1], port) == 0;
    if (!exists)
        port.name = args.positional[1];
    const std::string media = args.Get("--media", exists ? "" : "serial");
    if (media == "serial") {
        port.mediaType = 1;
        port.mediaName = "rasser";
        port.deviceType = "Modem";
        port.lineSpeed = 115200;
    } else if (media == "isdn") {
        port.mediaType = 4;
        port.mediaName = "isdn";
        port.deviceType = "ISDN";
        port.lineSpeed = 64000;
    } else if (!media.empty()) {
        return Fail("--media is serial or isdn");
    }
    port.deviceType = args.Get("--device-type", port.deviceType);
    port.deviceName = args.Get("--device-name", port.deviceName.empty() ? port.deviceType : port.deviceName);
    if (args.Has("--speed")) {
        const std::optional<std::uint32_t> speed = dm::ParseUInt32DecimalOrHex(args.Get("--speed"));
        if (!speed)
            return Fail("--speed must be a number of bits per second");
        port.lineSpeed = *speed;
    }
    if (args.Has("--condition")) {
        const std::optional<std::uint32_t> condition = dm::ParseUInt32DecimalOrHex(args.Get("--condition"), 7);
        if (!condition || *condition == 0)
            return Fail("--condition must be a line condition from 1 to 7");
        port.lineCondition = *condition;
        // A line that works again has working hardware: the port is back in service.
        if (*condition != 1)
            port.hardwareCondition = 1;
    }
    if (unsigned long e = store.SavePort(port))
        return dmctl::FailWithWinError("net", "cannot add the port '" + port.name + "'", e);
    unsigned long state = 0;
    if (dm::QueryServiceState("RemoteAccess", state, computer) != 0)
        dm::SetServiceState(computer, "RemoteAccess", dm::service::Running);
    return 0;
}

int RunSession(const std::vector<std::string>& raw)
{
    dmctl::Words args;
    int status = 0;
    if (!dmctl::ReadNetWords("session", raw, {2, 3, {"--domain", "--computer", "--ip", "--start"}, {"--end"}, {}},
                             args, status))
        return status;
    const bool end = args.Has("--end");
    if (args.positional.size() != (end ? 2u : 3u))
        return Fail("session takes COMPUTER PORT USER [options], or COMPUTER PORT --end");
    dm::RasPortStore store(args.positional[0]);
    if (end) {
        if (unsigned long e = store.EndSession(args.positional[1]))
            return dmctl::FailWithWinError("net", "cannot end the session on " + args.positional[1], e);
        return 0;
    }
    dm::RasSession session;
    session.user = args.positional[2];
    session.logonDomain = args.Get("--domain");
    session.computer = args.Get("--computer");
    session.ipAddress = args.Get("--ip");
    session.start = dm::NowTime();
    if (args.Has("--start")) {
        if (const std::string error = dmctl::ReadTime("--start", args.Get("--start"), session.start); !error.empty())
            return Fail(error);
    }
    if (unsigned long e = store.StartSession(args.positional[1], session))
        return dmctl::FailWithWinError("net", "cannot start a session on " + args.positional[1], e);
    return 0;
}

int RunDemo(const std::vector<std::string>& raw)
{
    dmctl::Words args;
    int status = 0;
    if (!dmctl::ReadNetWords("demo", raw, {1, 1, {"--seed", "--time"}, {}, {}}, args, status))
        return status;
    dm::DemoNetworkOptions options;
    if (args.Has("--seed")) {
        const std::optional<std::uint32_t> seed = dm::ParseUInt32DecimalOrHex(args.Get("--seed"));
        if (!seed)
            return Fail("--seed must be a number");
        options.seed = *seed;
    }
    if (args.Has("--time")) {
        std::uint32_t now = 0;
        if (const std::string error = dmctl::ReadTime("--time", args.Get("--time"), now); !error.empty() || now == 0)
            return Fail(error.empty() ? "--time must be later than 1970" : error);
        options.now = now;
    }
    dm::DemoNetworkSummary summary;
    const std::string error = dm::CreateDemoNetwork(args.positional[0], options, &summary);
    if (!error.empty())
        return Fail(error);
    std::printf("demo network in %s: %d people, %d ports, %d in session; database %s; "
                "local computer %s\n",
                args.positional[0].c_str(), summary.users, summary.ports, summary.sessions,
                summary.databaseDirectory.c_str(), summary.localComputer.c_str());
    return 0;
}

dmctl::NetCommand addDomain("add-domain", "DOMAIN CONTROLLER [--provider NAME] [--comment TEXT]",
                            "add a domain with its controller (- for none) to the browse list",
                            RunAddDomain);
dmctl::NetCommand addUser("add-user",
                          "DOMAIN NAME [--full-name T] [--comment T] [--rights BITS] "
                          "[--callback NUMBER] [--type TYPE] [--disabled]",
                          "add or change a user account in a domain (or a computer's own accounts)",
                          RunAddUser);
dmctl::NetCommand addGroup("add-group", "DOMAIN GROUP [--local] [--comment TEXT] [MEMBER...]",
                           "add a global (or local) group, or members to it", RunAddGroup);
dmctl::NetCommand addPort("add-port",
                          "COMPUTER PORT [--media serial|isdn] [--device-type T] [--device-name T] "
                          "[--speed BPS] [--condition 1-7]",
                          "add or change a RAS port (installs RAS on the computer)", RunAddPort);
dmctl::NetCommand session("session",
                          "COMPUTER PORT USER [--domain D] [--computer C] [--ip A] [--start TIME] | "
                          "COMPUTER PORT --end",
                          "put a user in session on a port, or end the session", RunSession);
dmctl::NetCommand demo("demo", "DIR [--seed N] [--time TIME]",
                       "create the demo network in DIR (same seed and time, same network)", RunDemo);

} // namespace dmctl::netrasgroup

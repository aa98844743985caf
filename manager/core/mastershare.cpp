#include "manager/core/mastershare.h"

#include "platform/files/pathresolver.h"

#include "manager/core/remoteconfig.h"
#include "platform/files/network.h"
#include "platform/registry/registry.h"

namespace dm {

MasterShareResult ReadMasterShare(std::string_view server, std::string& databaseDirectory)
{
    RegKey hive, key;
    if (RegConnectRegistry("\\\\" + std::string(server), hive) != winerr::Success)
        return MasterShareResult::Unreachable;
    if (const unsigned long error = hive.OpenKey(RemoteConfig::ComponentKey, key); error != winerr::Success)
        return error == winerr::FileNotFound ? MasterShareResult::NoComponent : MasterShareResult::Unreachable;
    // Only whether Master can be read counts, not its value.
    RegValue master;
    if (key.QueryValue("Master", master, 100) != winerr::Success)
        return MasterShareResult::NotMaster;
    std::string share;
    if (key.QueryString("MasterShare", share, 600) != winerr::Success)
        return MasterShareResult::ShareMissing;
    // A value stored in the network never leads out of it: a host path
    // outside the network root names no share of the master.
    if (!share.empty() && share[0] == '/' && !ResolveStoredPathOn(server, share).ok())
        return MasterShareResult::ShareMissing;
    databaseDirectory = std::move(share);
    return MasterShareResult::Found;
}

} // namespace dm

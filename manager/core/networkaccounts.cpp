#include "manager/core/networkaccounts.h"

#include "common/userinteraction.h"
#include "manager/core/messagecaption.h"
#include "platform/accounts/netapi.h"
#include "platform/system/widetext.h"

#include <cstdio>

namespace dm {

namespace {

// Runs one listing with the group calls' rule: continue while the running
// total of entries read is below the total the call reports; stop at the
// first error. Call(buffer, read, total, resume) -> status.
template <typename Record, typename Call>
std::vector<std::string> ListByTotal(Call call, char16_t* Record::*name)
{
    std::vector<std::string> names;
    std::uint32_t resume = 0;
    std::uint32_t readSoFar = 0;
    for (;;) {
        std::uint8_t* buffer = nullptr;
        std::uint32_t read = 0;
        std::uint32_t total = 0;
        const NET_API_STATUS status = call(&buffer, &read, &total, &resume);
        if (status != 0 && status != 234) {
            NetApiBufferFree(buffer);
            break;
        }
        const auto* records = reinterpret_cast<const Record*>(buffer);
        for (std::uint32_t i = 0; i < read; ++i)
            names.push_back(FromWide(records[i].*name));
        NetApiBufferFree(buffer);
        readSoFar += read;
        if (read == 0 || readSoFar >= total)
            break;
    }
    return names;
}

} // namespace

std::optional<std::string> NetworkAccounts::FindDomainController(std::string_view domain, unsigned long* error)
{
    const std::u16string wide = ToWide(domain.substr(0, 30));
    std::uint8_t* buffer = nullptr;
    const NET_API_STATUS status = NetGetDCName(nullptr, wide.c_str(), &buffer);
    if (error)
        *error = status;
    if (status != 0) {
        NetApiBufferFree(buffer);
        return std::nullopt;
    }
    std::string controller = FromWide(reinterpret_cast<const char16_t*>(buffer));
    NetApiBufferFree(buffer);
    return controller;
}

std::vector<std::string> NetworkAccounts::GlobalGroups(std::string_view controller)
{
    const std::u16string server = ToWide(controller);
    return ListByTotal<GROUP_INFO_0>(
        [&](std::uint8_t** buffer, std::uint32_t* read, std::uint32_t* total, std::uint32_t* resume) {
            return NetGroupEnum(server.c_str(), 0, buffer, kBatchBytes, read, total, resume);
        },
        &GROUP_INFO_0::grpi0_name);
}

std::vector<std::string> NetworkAccounts::LocalGroups(std::string_view controller)
{
    const std::u16string server = ToWide(controller);
    return ListByTotal<LOCALGROUP_INFO_0>(
        [&](std::uint8_t** buffer, std::uint32_t* read, std::uint32_t* total, std::uint32_t* resume) {
            return NetLocalGroupEnum(server.c_str(), 0, buffer, kBatchBytes, read, total, resume);
        },
        &LOCALGROUP_INFO_0::lgrpi0_name);
}

std::vector<std::string> NetworkAccounts::Users(std::string_view controller)
{
    // The user listing continues while the call reports more data (234).
    const std::u16string server = ToWide(controller);
    std::vector<std::string> names;
    std::uint32_t resume = 0;
    NET_API_STATUS status = 0;
    do {
        std::uint8_t* buffer = nullptr;
        std::uint32_t read = 0;
        std::uint32_t total = 0;
        status = NetUserEnum(server.c_str(), 0, FILTER_NORMAL_ACCOUNT | FILTER_TEMP_DUPLICATE_ACCOUNT, &buffer,
                             kBatchBytes, &read, &total, &resume);
        if (status == 0 || status == 234) {
            const auto* records = reinterpret_cast<const USER_INFO_0*>(buffer);
            for (std::uint32_t i = 0; i < read; ++i)
                names.push_back(FromWide(records[i].usri0_name));
        }
        NetApiBufferFree(buffer);
    } while (status == 234);
    return names;
}

std::vector<std::string> NetworkAccounts::GroupMembers(std::string_view domain, std::string_view group,
                                                       UserInteraction& ui)
{
    unsigned long error = 0;
    const auto controller = FindDomainController(domain, &error);
    if (!controller) {
        char text[64];
        std::snprintf(text, sizeof text, "Error getting PDC (%lu)", error);
        ui.ShowMessage(text, kMessageCaption, Buttons::Ok, Icon::Error);
        return {};
    }
    const std::u16string server = ToWide(*controller);
    const std::u16string wideGroup = ToWide(group);
    return ListByTotal<GROUP_USERS_INFO_0>(
        [&](std::uint8_t** buffer, std::uint32_t* read, std::uint32_t* total, std::uint32_t* resume) {
            return NetGroupGetUsers(server.c_str(), wideGroup.c_str(), 0, buffer, kBatchBytes, read, total,
                                    resume);
        },
        &GROUP_USERS_INFO_0::grui0_name);
}

} // namespace dm

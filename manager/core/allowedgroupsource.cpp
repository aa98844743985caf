#include "manager/core/allowedgroupsource.h"

#include "common/userinteraction.h"
#include "manager/core/messagecaption.h"
#include "manager/core/networkaccounts.h"

#include <memory>

namespace dm {

namespace {

constexpr std::uint32_t kBatchBytes = 100000;

// One batch of entries, copied out of the call's buffer.
struct Entry {
    NETRESOURCE resource{};
    std::string remoteName;
    std::string provider;
};

unsigned long ReadBatch(NetworkBrowsing& network, WNetHandle handle, std::vector<Entry>& entries)
{
    // 8-byte aligned storage: the records sit at the buffer's start.
    auto buffer = std::make_unique<std::uint64_t[]>(kBatchBytes / 8);
    std::uint32_t count = 0xFFFFFFFF;
    std::uint32_t size = kBatchBytes;
    const unsigned long status = network.EnumResource(handle, &count, buffer.get(), &size);
    if (status != 0)
        return status;
    const auto* records = reinterpret_cast<const NETRESOURCE*>(buffer.get());
    for (std::uint32_t i = 0; i < count; ++i) {
        Entry entry;
        entry.resource = records[i];
        entry.remoteName = records[i].lpRemoteName ? records[i].lpRemoteName : "";
        entry.provider = records[i].lpProvider ? records[i].lpProvider : "";
        entries.push_back(std::move(entry));
    }
    return 0;
}

void Report(UserInteraction& ui, const char* text)
{
    ui.ShowMessage(text, kMessageCaption, Buttons::Ok, Icon::Warning);
}

} // namespace

unsigned long NetworkBrowsing::OpenEnum(const NETRESOURCE* container, WNetHandle* handle)
{
    return WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, container, handle);
}

unsigned long NetworkBrowsing::EnumResource(WNetHandle handle, std::uint32_t* count, void* buffer,
                                            std::uint32_t* bufferSize)
{
    return WNetEnumResource(handle, count, buffer, bufferSize);
}

unsigned long NetworkBrowsing::CloseEnum(WNetHandle handle)
{
    return WNetCloseEnum(handle);
}

NetworkBrowsing& NetworkBrowsing::System()
{
    static NetworkBrowsing system;
    return system;
}

std::vector<std::string> ListNetworkDomains(NetworkBrowsing& network, UserInteraction& ui)
{
    std::vector<Entry> top;
    WNetHandle handle = nullptr;
    if (network.OpenEnum(nullptr, &handle) != 0) {
        Report(ui, kErrorOpenEnum1);
        handle = nullptr;
    }
    if (handle) {
        if (ReadBatch(network, handle, top) != 0)
            Report(ui, kErrorEnumRes1);
        network.CloseEnum(handle);
    }

    std::vector<Entry> second;
    if (!top.empty()) {
        Entry& first = top.front();
        first.resource.lpRemoteName = first.remoteName.data();
        first.resource.lpProvider = first.provider.data();
        first.resource.lpLocalName = nullptr;
        first.resource.lpComment = nullptr;
        handle = nullptr;
        if (network.OpenEnum(&first.resource, &handle) != 0) {
            Report(ui, kErrorOpenEnum2);
            handle = nullptr;
        }
        if (handle) {
            if (ReadBatch(network, handle, second) != 0)
                Report(ui, kErrorEnumRes2);
            network.CloseEnum(handle);
        }
    }

    std::vector<std::string> domains;
    for (const Entry& entry : second)
        if (!entry.remoteName.empty())
            domains.push_back(entry.remoteName);
    return domains;
}

std::vector<AccountChoice> ListDomainAccounts(std::string_view domain)
{
    std::vector<AccountChoice> choices;
    const auto controller = NetworkAccounts::FindDomainController(domain);
    if (!controller)
        return choices;
    for (std::string& name : NetworkAccounts::GlobalGroups(*controller))
        choices.push_back({'G', std::move(name)});
    for (std::string& name : NetworkAccounts::LocalGroups(*controller))
        choices.push_back({'L', std::move(name)});
    for (std::string& name : NetworkAccounts::Users(*controller))
        choices.push_back({'U', std::move(name)});
    return choices;
}

} // namespace dm

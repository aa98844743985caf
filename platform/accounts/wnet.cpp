#include "platform/accounts/wnet.h"

#include "common/text.h"
#include "platform/files/network.h"
#include "platform/accounts/networkdirectory.h"
#include "platform/files/profile.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace dm {

struct WNetEnumeration {
    struct Entry {
        std::uint32_t type;
        std::uint32_t displayType;
        std::uint32_t usage;
        std::string remoteName;
        std::string comment;
        std::string provider;
    };
    std::uint32_t scope = RESOURCE_GLOBALNET;
    std::vector<Entry> entries;
    std::size_t next = 0;
};

namespace {

// Open handles, so that a stale or foreign handle is refused, not followed.
std::mutex& HandleLock()
{
    static std::mutex mutex;
    return mutex;
}

std::unordered_set<WNetEnumeration*>& Handles()
{
    static std::unordered_set<WNetEnumeration*> handles;
    return handles;
}

bool IsOpen(WNetEnumeration* handle)
{
    std::lock_guard<std::mutex> guard(HandleLock());
    return Handles().count(handle) != 0;
}

std::string StripBackslashes(std::string_view name)
{
    while (!name.empty() && name.front() == '\\')
        name.remove_prefix(1);
    return std::string(name);
}

void ListProviders(const NetworkDirectory& directory, std::vector<WNetEnumeration::Entry>& out)
{
    for (const auto& p : directory.Providers())
        out.push_back({RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_NETWORK, RESOURCEUSAGE_CONTAINER,
                       p.name, {}, p.name});
}

void ListDomains(const NetworkDirectory& directory, const ProviderEntry& provider,
                 std::vector<WNetEnumeration::Entry>& out)
{
    for (const auto& name : provider.domains) {
        const DomainEntry* d = directory.FindDomain(name);
        out.push_back({RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER, name,
                       d != nullptr ? d->comment : std::string(), provider.name});
    }
}

void ListServers(const DomainEntry& domain, const std::string& provider,
                 std::vector<WNetEnumeration::Entry>& out)
{
    for (const auto& server : domain.servers)
        out.push_back({RESOURCETYPE_ANY, RESOURCEDISPLAYTYPE_SERVER, RESOURCEUSAGE_CONTAINER,
                       "\\\\" + Network::NormalizeComputerName(server), {}, provider});
}

unsigned long ListShares(const std::string& server, const std::string& provider,
                         std::vector<WNetEnumeration::Entry>& out)
{
    if (unsigned long error = Network::CheckReachable(server))
        return error;
    auto dir = Network::ComputerDir(server);
    const std::string shares = (*dir / "shares.ini").string();
    for (const auto& name : GetPrivateProfileKeyNames("Shares", shares)) {
        if (!name.empty() && name.back() == '$')
            continue;
        out.push_back({RESOURCETYPE_DISK, RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE,
                       "\\\\" + Network::NormalizeComputerName(server) + "\\" + name, {}, provider});
    }
    return winerr::Success;
}

// The provider a domain belongs to, for the entries below it.
std::string ProviderOf(const NetworkDirectory& directory, std::string_view domain)
{
    for (const auto& p : directory.Providers())
        for (const auto& d : p.domains)
            if (EqualNoCase(d, domain))
                return p.name;
    return NetworkDirectory::kWindowsProvider;
}

std::size_t EntryBytes(const WNetEnumeration::Entry& e)
{
    return sizeof(NETRESOURCE) + e.remoteName.size() + 1 + e.comment.size() + 1 +
           e.provider.size() + 1;
}

} // namespace

unsigned long WNetOpenEnum(std::uint32_t scope, std::uint32_t type, std::uint32_t usage,
                           const NETRESOURCE* container, WNetHandle* handle)
{
    if (handle == nullptr)
        return winerr::InvalidParameter;
    *handle = nullptr;
    if (scope != RESOURCE_CONNECTED && scope != RESOURCE_GLOBALNET && scope != RESOURCE_REMEMBERED)
        return winerr::InvalidParameter;
    auto enumeration = std::make_unique<WNetEnumeration>();
    enumeration->scope = scope;
    std::vector<WNetEnumeration::Entry> all;
    // Nothing is connected or remembered in the emulated network: those
    // scopes enumerate empty.
    if (scope == RESOURCE_GLOBALNET) {
        NetworkDirectory directory;
        directory.Load();
        if (container == nullptr) {
            ListProviders(directory, all);
        } else {
            const std::string remote = container->lpRemoteName ? container->lpRemoteName : "";
            switch (container->dwDisplayType) {
            case RESOURCEDISPLAYTYPE_NETWORK: {
                const std::string name =
                    container->lpProvider && *container->lpProvider ? container->lpProvider : remote;
                if (const ProviderEntry* p = directory.FindProvider(name))
                    ListDomains(directory, *p, all);
                break;
            }
            case RESOURCEDISPLAYTYPE_DOMAIN:
                if (const DomainEntry* d = directory.FindDomain(remote))
                    ListServers(*d, ProviderOf(directory, d->name), all);
                break;
            case RESOURCEDISPLAYTYPE_SERVER:
                if (unsigned long error =
                        ListShares(StripBackslashes(remote),
                                   ProviderOf(directory, directory.DomainOf(StripBackslashes(remote))),
                                   all))
                    return error;
                break;
            default:
                return winerr::NotContainer;
            }
        }
    }
    for (auto& e : all) {
        if (usage != 0 && (e.usage & usage) == 0)
            continue;
        if (type != RESOURCETYPE_ANY && e.type != RESOURCETYPE_ANY && e.type != type)
            continue;
        enumeration->entries.push_back(std::move(e));
    }
    WNetEnumeration* raw = enumeration.release();
    {
        std::lock_guard<std::mutex> guard(HandleLock());
        Handles().insert(raw);
    }
    *handle = raw;
    return winerr::Success;
}

unsigned long WNetEnumResource(WNetHandle handle, std::uint32_t* count, void* buffer,
                               std::uint32_t* bufferSize)
{
    if (!IsOpen(handle))
        return winerr::InvalidHandle;
    if (count == nullptr || bufferSize == nullptr || (buffer == nullptr && *bufferSize != 0))
        return winerr::InvalidParameter;
    const std::uint32_t wanted = *count;
    if (wanted == 0)
        return winerr::InvalidParameter;
    *count = 0;
    if (handle->next >= handle->entries.size())
        return winerr::NoMoreItems;
    const std::size_t first = EntryBytes(handle->entries[handle->next]);
    if (first > *bufferSize) {
        *bufferSize = static_cast<std::uint32_t>(first);
        return winerr::MoreData;
    }
    // Records grow from the start of the buffer, strings from its end.
    auto* records = static_cast<NETRESOURCE*>(buffer);
    char* textEnd = static_cast<char*>(buffer) + *bufferSize;
    std::size_t used = 0;
    std::uint32_t read = 0;
    auto place = [&textEnd](const std::string& text) {
        textEnd -= text.size() + 1;
        std::memcpy(textEnd, text.c_str(), text.size() + 1);
        return textEnd;
    };
    while (handle->next < handle->entries.size() && read < wanted) {
        const auto& e = handle->entries[handle->next];
        const std::size_t bytes = EntryBytes(e);
        if (used + bytes > *bufferSize)
            break;
        NETRESOURCE& r = records[read];
        r.dwScope = handle->scope;
        r.dwType = e.type;
        r.dwDisplayType = e.displayType;
        r.dwUsage = e.usage;
        r.lpLocalName = nullptr;
        r.lpRemoteName = place(e.remoteName);
        r.lpComment = place(e.comment);
        r.lpProvider = place(e.provider);
        used += bytes;
        ++read;
        ++handle->next;
    }
    *count = read;
    return winerr::Success;
}

unsigned long WNetCloseEnum(WNetHandle handle)
{
    {
        std::lock_guard<std::mutex> guard(HandleLock());
        if (Handles().erase(handle) == 0)
            return winerr::InvalidHandle;
    }
    delete handle;
    return winerr::Success;
}

} // namespace dm

#include "manager/core/networkenumerator.h"

#include "platform/accounts/wnet.h"

#include <vector>

namespace dm {

namespace {

constexpr char kWindowsNetwork[] = "Microsoft Windows";
constexpr std::size_t kPrefixLength = 15; // "Microsoft Windo"

enum class Kind { Network, Domain, Server, Skipped };

Kind Classify(const NETRESOURCE& entry, bool serversCount)
{
    switch (entry.dwDisplayType) {
    case RESOURCEDISPLAYTYPE_DOMAIN: return Kind::Domain;
    case RESOURCEDISPLAYTYPE_SERVER: return serversCount ? Kind::Server : Kind::Skipped;
    case RESOURCEDISPLAYTYPE_GENERIC:
    case RESOURCEDISPLAYTYPE_SHARE: return Kind::Skipped;
    default: return Kind::Network;
    }
}

// One recursive walk. The inside flag is shared by the whole walk, as each
// network entry met sets or clears it.
struct Walk {
    const NetworkEnumerator::Sink* nodeSink = nullptr;
    const std::function<void(const std::string&)>* domainSink = nullptr;
    const std::atomic<bool>* stop = nullptr;
    NetworkWalkLimits limits;
    bool inside = false;

    bool Stopped() const { return stop && stop->load(); }

    void Container(const NETRESOURCE* container, int depth)
    {
        if (Stopped())
            return;
        WNetHandle handle = nullptr;
        if (WNetOpenEnum(RESOURCE_GLOBALNET, RESOURCETYPE_ANY, 0, container, &handle) != 0)
            return;
        // 8-byte aligned storage for the records at the buffer's start.
        std::vector<std::uint64_t> buffer((limits.bufferBytes + 7) / 8);
        for (;;) {
            std::uint32_t count = static_cast<std::uint32_t>(limits.maxEntries);
            std::uint32_t size = static_cast<std::uint32_t>(limits.bufferBytes);
            if (WNetEnumResource(handle, &count, buffer.data(), &size) != 0)
                break;
            const auto* entries = reinterpret_cast<const NETRESOURCE*>(buffer.data());
            // The strings live in the buffer, which the next batch reuses:
            // copy each entry before descending.
            std::vector<NETRESOURCE> batch(entries, entries + count);
            std::vector<std::string> names;
            names.reserve(count);
            for (std::uint32_t i = 0; i < count; ++i)
                names.emplace_back(entries[i].lpRemoteName ? entries[i].lpRemoteName : "");
            for (std::uint32_t i = 0; i < count && !Stopped(); ++i)
                Entry(batch[i], names[i], depth);
        }
        WNetCloseEnum(handle);
    }

    void Entry(NETRESOURCE entry, const std::string& remoteName, int depth)
    {
        if (remoteName.empty())
            return;
        const Kind kind = Classify(entry, nodeSink != nullptr);
        if (kind == Kind::Skipped)
            return;
        if (kind == Kind::Network)
            inside = NetworkEnumerator::IsWindowsNetwork(remoteName);
        if (inside && nodeSink) {
            const NetworkNode::Picture picture = kind == Kind::Network ? NetworkNode::Network
                                                 : kind == Kind::Domain ? NetworkNode::Domain
                                                                        : NetworkNode::Server;
            (*nodeSink)({depth, NetworkEnumerator::StripBackslashes(remoteName), picture});
        }
        if (inside && domainSink && kind == Kind::Domain)
            (*domainSink)(NetworkEnumerator::StripBackslashes(remoteName));
        // Networks are searched wherever they are; domains only for the
        // servers they hold.
        const bool descend = kind == Kind::Network || (kind == Kind::Domain && nodeSink && inside);
        if (!descend)
            return;
        std::string name = remoteName;
        entry.lpRemoteName = name.data();
        entry.lpLocalName = entry.lpComment = entry.lpProvider = nullptr;
        Container(&entry, depth + 1);
    }
};

} // namespace

std::string NetworkEnumerator::StripBackslashes(const std::string& name)
{
    size_t skip = 0;
    while (skip < 2 && skip < name.size() && name[skip] == '\\')
        ++skip;
    return name.substr(skip);
}

bool NetworkEnumerator::IsWindowsNetwork(const std::string& providerName)
{
    return providerName.compare(0, kPrefixLength, kWindowsNetwork, kPrefixLength) == 0;
}

void NetworkEnumerator::Enumerate(const Sink& sink, const std::atomic<bool>* stop, NetworkWalkLimits limits)
{
    Walk walk;
    walk.nodeSink = &sink;
    walk.stop = stop;
    walk.limits = limits;
    walk.Container(nullptr, 0);
}

void NetworkEnumerator::EnumerateDomains(const std::function<void(const std::string& domain)>& sink)
{
    Walk walk;
    walk.domainSink = &sink;
    walk.limits = {32768, 1024};
    walk.Container(nullptr, 0);
}

} // namespace dm

#pragma once
// Walks the network neighbourhood through the browsing calls and reports the
// part that lies inside a provider whose name begins with "Microsoft Windo":
// the network itself, its domains and (when asked) their servers. Qt-free;
// the add-server dialog runs it on a worker thread.

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

namespace dm {

struct NetworkNode {
    enum Picture { Network = 0, Domain = 1, Server = 2 };
    int depth = 0;       // 0 at the top of the network
    std::string name;    // without leading backslashes (up to two)
    Picture picture = Network;
};

// The batch each container is read in.
struct NetworkWalkLimits {
    std::size_t bufferBytes = 4096;
    std::size_t maxEntries = 128;
};

class NetworkEnumerator {
public:
    using Sink = std::function<void(const NetworkNode&)>;

    // Reports network entries, domains and servers inside the Windows network
    // in walk order, descending into networks and domains. Stops early once
    // stop becomes true. Errors end the walk of that container silently.
    static void Enumerate(const Sink& sink, const std::atomic<bool>* stop = nullptr, NetworkWalkLimits limits = NetworkWalkLimits());
    // The domains only, for the server tree (32,768-byte batches of up to
    // 1,024 entries).
    static void EnumerateDomains(const std::function<void(const std::string& domain)>& sink);

    // "\\\\NAME" -> "NAME": at most two leading backslashes go.
    static std::string StripBackslashes(const std::string& name);
    static bool IsWindowsNetwork(const std::string& providerName);
};

} // namespace dm

#pragma once
// Reads the port tables of the monitored servers every 20 seconds, beside the
// user-interface thread, and hands them over for the tree to show. The
// view-switch bar's totals are then counted from what the tree shows, so the
// bar and the tree agree. The thread reads only the registries and the RAS
// library; stops when the object is destroyed.

#include "manager/core/serverentry.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dm {

class CDMDoc;

class PortTotalThread {
public:
    using Delivery = std::function<void(std::vector<ServerEntry>)>;

    // deliver is called on this thread after every pass; it must only post.
    PortTotalThread(CDMDoc& doc, Delivery deliver,
                    std::chrono::milliseconds period = std::chrono::milliseconds(20000));
    ~PortTotalThread();
    PortTotalThread(const PortTotalThread&) = delete;
    PortTotalThread& operator=(const PortTotalThread&) = delete;

    // The servers the tree lists, in its order; read by the next pass.
    void SetServers(std::vector<std::string> names);
    // Starts the passes; the first one waits a period when waitFirst is set
    // (the tables were just read).
    void Start(bool waitFirst = false);
    // One pass over the servers set last.
    void CountOnce();
    int Passes() const;

private:
    void Run(bool waitFirst);

    CDMDoc& m_doc;
    Delivery m_deliver;
    std::chrono::milliseconds m_period;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<std::string> m_names;
    bool m_stop = false;
    int m_passes = 0;
    std::thread m_thread;
};

} // namespace dm

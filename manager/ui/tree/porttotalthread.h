#pragma once
// Totals the ports and busy ports of every server in the registry's server
// list (always the key "Servers") every 20 seconds, beside the user-interface
// thread, and publishes both totals for the view-switch bar. It reads only the
// registry and the RAS library. Stops when the object is destroyed.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace dm {

class CDMDoc;
struct PortCounters;

class PortTotalThread {
public:
    static constexpr const char* kServersKey = "Software\\Osterhall Software\\Dialminder\\Servers";

    // repaint is called on this thread after every pass; it must only post.
    PortTotalThread(CDMDoc& doc, PortCounters& counters, std::function<void()> repaint,
                    std::chrono::milliseconds period = std::chrono::milliseconds(20000));
    ~PortTotalThread();
    PortTotalThread(const PortTotalThread&) = delete;
    PortTotalThread& operator=(const PortTotalThread&) = delete;

    void Start();
    // One pass: false when the server list key cannot be opened (the thread
    // then ends).
    bool CountOnce();
    int Passes() const;

private:
    void Run();

    CDMDoc& m_doc;
    PortCounters& m_counters;
    std::function<void()> m_repaint;
    std::chrono::milliseconds m_period;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    int m_passes = 0;
    std::thread m_thread;
};

} // namespace dm

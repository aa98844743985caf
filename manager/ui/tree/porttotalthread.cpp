#include "manager/ui/tree/porttotalthread.h"

#include "manager/core/dmdoc.h"
#include "manager/ui/frame/portcounters.h"
#include "platform/registry/registry.h"

namespace dm {

PortTotalThread::PortTotalThread(CDMDoc& doc, PortCounters& counters, std::function<void()> repaint,
                                 std::chrono::milliseconds period)
    : m_doc(doc), m_counters(counters), m_repaint(std::move(repaint)), m_period(period)
{
}

PortTotalThread::~PortTotalThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void PortTotalThread::Start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
}

int PortTotalThread::Passes() const
{
    std::lock_guard lock(m_mutex);
    return m_passes;
}

bool PortTotalThread::CountOnce()
{
    RegKey hive;
    RegKey servers;
    if (RegOpenLocalMachine(hive) != 0 || hive.OpenKey(kServersKey, servers) != 0)
        return false;
    int total = 0;
    int busy = 0;
    bool answered = false;
    std::string name;
    for (unsigned long index = 0; servers.EnumKey(index, name) == 0; ++index) {
        int ports = 0;
        int inUse = 0;
        // The document names the server "\\NAME" at the call, at most 60 characters.
        if (m_doc.GetServerPortTotals(name.substr(0, 58), ports, inUse)) {
            total += ports;
            busy += inUse;
            answered = true;
        }
    }
    servers.Close();
    // The totals of the whole pass at once: the bar never shows a pass
    // half counted (nor 0 while it runs). A pass that reached no server
    // leaves the counts the tree made.
    if (answered) {
        m_counters.ports = total;
        m_counters.busyPorts = busy;
    }
    {
        std::lock_guard lock(m_mutex);
        ++m_passes;
    }
    if (m_repaint)
        m_repaint();
    return true;
}

void PortTotalThread::Run()
{
    for (;;) {
        if (!CountOnce())
            return;
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, m_period, [this] { return m_stop; }))
            return;
    }
}

} // namespace dm

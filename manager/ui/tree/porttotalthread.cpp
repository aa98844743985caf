#include "manager/ui/tree/porttotalthread.h"

#include "manager/core/dmdoc.h"

namespace dm {

PortTotalThread::PortTotalThread(CDMDoc& doc, Delivery deliver, std::chrono::milliseconds period)
    : m_doc(doc), m_deliver(std::move(deliver)), m_period(period)
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

void PortTotalThread::SetServers(std::vector<std::string> names)
{
    std::lock_guard lock(m_mutex);
    m_names = std::move(names);
}

void PortTotalThread::Start(bool waitFirst)
{
    if (!m_thread.joinable())
        m_thread = std::thread([this, waitFirst] { Run(waitFirst); });
}

int PortTotalThread::Passes() const
{
    std::lock_guard lock(m_mutex);
    return m_passes;
}

void PortTotalThread::CountOnce()
{
    std::vector<std::string> names;
    {
        std::lock_guard lock(m_mutex);
        names = m_names;
    }
    std::vector<ServerEntry> tables = m_doc.ReadPortTables(names);
    {
        std::lock_guard lock(m_mutex);
        ++m_passes;
    }
    if (m_deliver)
        m_deliver(std::move(tables));
}

void PortTotalThread::Run(bool waitFirst)
{
    for (bool wait = waitFirst;; wait = true) {
        if (wait) {
            std::unique_lock lock(m_mutex);
            if (m_wake.wait_for(lock, m_period, [this] { return m_stop; }))
                return;
        }
        CountOnce();
    }
}

} // namespace dm

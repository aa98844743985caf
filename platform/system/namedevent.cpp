#include "platform/system/namedevent.h"

#include <condition_variable>
#include <map>
#include <mutex>

namespace dm {

struct NamedEvent::Shared {
    mutable std::mutex mutex;
    std::condition_variable changed;
    bool manualReset = true;
    bool set = false;
};

namespace {

std::mutex& EventTableLock()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, std::weak_ptr<NamedEvent::Shared>>& EventTable()
{
    static std::map<std::string, std::weak_ptr<NamedEvent::Shared>> table;
    return table;
}

} // namespace

NamedEvent::NamedEvent(std::string_view name, bool manualReset, bool initiallySet) : m_name(name)
{
    std::lock_guard<std::mutex> lock(EventTableLock());
    auto& slot = EventTable()[m_name];
    m_shared = slot.lock();
    if (!m_shared) {
        m_shared = std::make_shared<Shared>();
        m_shared->manualReset = manualReset;
        m_shared->set = initiallySet;
        slot = m_shared;
    }
}

NamedEvent::~NamedEvent()
{
    std::lock_guard<std::mutex> lock(EventTableLock());
    m_shared.reset();
    auto it = EventTable().find(m_name);
    if (it != EventTable().end() && it->second.expired())
        EventTable().erase(it);
}

void NamedEvent::Set()
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->set = true;
    if (m_shared->manualReset)
        m_shared->changed.notify_all();
    else
        m_shared->changed.notify_one();
}

void NamedEvent::Reset()
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->set = false;
}

bool NamedEvent::IsSet() const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->set;
}

bool NamedEvent::Wait(std::optional<std::chrono::milliseconds> timeout)
{
    Shared& s = *m_shared;
    std::unique_lock<std::mutex> lock(s.mutex);
    auto isSet = [&] { return s.set; };
    if (!timeout)
        s.changed.wait(lock, isSet);
    else if (!s.changed.wait_for(lock, *timeout, isSet))
        return false;
    if (!s.manualReset)
        s.set = false;
    return true;
}

} // namespace dm

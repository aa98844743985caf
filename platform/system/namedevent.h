#pragma once
// A named event: signalled or not; waiters wake when it is set. A
// manual-reset event stays signalled until Reset and wakes every waiter; an
// auto-reset event wakes one waiter and resets itself.
//
// The name is shared by every handle in this process: the event exists while
// any handle to it exists, and opening an existing name keeps the event's
// state and kind (the arguments apply only when the event is created).
// Nothing in the system waits for an event across processes (the network
// enumeration and its dialog are threads of one program), so the event
// lives in process memory only.

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace dm {

class NamedEvent {
public:
    NamedEvent(std::string_view name, bool manualReset = true, bool initiallySet = false);
    ~NamedEvent();
    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;

    const std::string& Name() const { return m_name; }
    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event was (or became) signalled; false after the time-out.
    // No time-out waits without limit.
    bool Wait(std::optional<std::chrono::milliseconds> timeout = std::nullopt);

    struct Shared;

private:
    std::string m_name;
    std::shared_ptr<Shared> m_shared;
};

} // namespace dm

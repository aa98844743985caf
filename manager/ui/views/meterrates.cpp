#include "manager/ui/views/meterrates.h"

#include <limits>

namespace dm {

int MeterRates::Rate(std::uint32_t bytes, std::uint32_t& previous, std::uint32_t lineSpeed)
{
    if (bytes == previous)
        return 0;
    // The difference wraps like the counters do; the product is taken in 64
    // bits, so a large difference gives a large rate instead of a wrapped one.
    const std::uint64_t delta = static_cast<std::uint32_t>(bytes - previous);
    previous = bytes;
    if (lineSpeed == 0)
        return 0;
    const std::uint64_t rate = delta * 400 / lineSpeed;
    return rate > static_cast<std::uint64_t>(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                                             : static_cast<int>(rate);
}

void MeterRates::Update(std::uint32_t bytesOut, std::uint32_t bytesIn, std::uint32_t lineSpeed)
{
    m_outRate = Rate(bytesOut, m_previousOut, lineSpeed);
    m_inRate = Rate(bytesIn, m_previousIn, lineSpeed);
    if (m_inRate == 101) {
        m_outRate = 0;
        m_inRate = 0;
    }
}

} // namespace dm

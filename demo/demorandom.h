#pragma once
// The demo network's source of variety: a fixed generator, so that one seed
// always gives the same network on every machine (the engine's output is
// defined by the standard; the draws below use nothing else).

#include <cstdint>
#include <random>
#include <vector>

namespace dm {

class DemoRandom {
public:
    explicit DemoRandom(std::uint32_t seed) : m_engine(seed) {}

    // 0 to n - 1 (0 when n is 0).
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(m_engine() % n); }
    // low to high, both included.
    std::uint32_t Between(std::uint32_t low, std::uint32_t high) { return low + Below(high - low + 1); }
    bool Chance(std::uint32_t percent) { return Below(100) < percent; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) { return items[Below(static_cast<std::uint32_t>(items.size()))]; }

private:
    std::mt19937 m_engine;
};

} // namespace dm

#pragma once
// The IN and OUT meters' rates: the share of the line's capacity that the
// bytes since the previous refresh used, kept apart from the painting.

#include <cstdint>

namespace dm {

class MeterRates {
public:
    // One refresh with the current byte counters and the line speed in bits
    // per second. A counter that did not change gives rate 0; a changed one
    // (bytes - previous) * 400 / line speed, 0 without a line speed. An
    // incoming rate of exactly 101 sets both rates to 0.
    void Update(std::uint32_t bytesOut, std::uint32_t bytesIn, std::uint32_t lineSpeed);

    int OutRate() const { return m_outRate; }
    int InRate() const { return m_inRate; }

    // A rate as the meter shows it: outside 0 to 100 it shows as 0.
    static int Shown(int rate) { return rate < 0 || rate > 100 ? 0 : rate; }
    // How many pixels of the usable width are lit for a rate.
    static int LitLength(int rate, int usableWidth) { return Shown(rate) * usableWidth / 100; }

private:
    static int Rate(std::uint32_t bytes, std::uint32_t& previous, std::uint32_t lineSpeed);

    int m_outRate = 0;
    int m_inRate = 0;
    std::uint32_t m_previousOut = 0;
    std::uint32_t m_previousIn = 0;
};

} // namespace dm

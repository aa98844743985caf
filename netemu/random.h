#pragma once
// A small deterministic random source. The same seed gives the same numbers
// on every machine and library version, which the standard distributions do
// not promise; dmsim's generated history must be reproducible byte for byte.

#include <cstdint>
#include <cstddef>

namespace dm::netemu {

class Random {
public:
    explicit Random(std::uint64_t seed);

    std::uint64_t Next();
    // Uniform in [0, 1).
    double Uniform();
    // Uniform integer in [0, n); n must be at least 1.
    std::size_t Below(std::size_t n);
    // True with the given probability.
    bool Chance(double probability) { return Uniform() < probability; }
    // Exponentially distributed with the given mean.
    double Exponential(double mean);
    // Standard normal (Box-Muller, one value per call).
    double Normal();
    // Log-normal with the given median and shape (sigma of the logarithm).
    double LogNormal(double median, double sigma);

    // A new independent stream derived from this one and a label, so that
    // adding draws to one server never shifts another server's numbers.
    Random Fork(std::uint64_t label) const;

private:
    std::uint64_t m_state[4];
};

// Stable 64-bit hash of a text (FNV-1a), for seeding per-name streams.
std::uint64_t HashText(const char* data, std::size_t size);

} // namespace dm::netemu

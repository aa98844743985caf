#include "netemu/random.h"

#include <cmath>

namespace dm::netemu {
namespace {

std::uint64_t SplitMix(std::uint64_t& x)
{
    std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

} // namespace

Random::Random(std::uint64_t seed)
{
    for (auto& s : m_state)
        s = SplitMix(seed);
}

std::uint64_t Random::Next()
{
    // xoshiro256**
    const std::uint64_t result = Rotl(m_state[1] * 5, 7) * 9;
    const std::uint64_t t = m_state[1] << 17;
    m_state[2] ^= m_state[0];
    m_state[3] ^= m_state[1];
    m_state[1] ^= m_state[2];
    m_state[0] ^= m_state[3];
    m_state[2] ^= t;
    m_state[3] = Rotl(m_state[3], 45);
    return result;
}

double Random::Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

std::size_t Random::Below(std::size_t n)
{
    return n <= 1 ? 0 : static_cast<std::size_t>(Next() % n);
}

double Random::Exponential(double mean) { return -mean * std::log1p(-Uniform()); }

double Random::Normal()
{
    const double u1 = 1.0 - Uniform(); // (0, 1]
    const double u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * M_PI * u2);
}

double Random::LogNormal(double median, double sigma) { return median * std::exp(sigma * Normal()); }

Random Random::Fork(std::uint64_t label) const
{
    std::uint64_t mix = m_state[0] ^ Rotl(m_state[2], 23) ^ (label * 0xd1342543de82ef95ULL);
    return Random(SplitMix(mix));
}

std::uint64_t HashText(const char* data, std::size_t size)
{
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (std::size_t i = 0; i < size; ++i) {
        h ^= static_cast<unsigned char>(data[i]);
        h *= 0x100000001b3ULL;
    }
    return h;
}

} // namespace dm::netemu

#include "common/nametable.h"

#include <cstring>

namespace dm {

std::uint64_t HashName(std::string_view text)
{
    constexpr std::uint64_t kMultiplier = 0xff51afd7ed558ccdull;
    const auto load = [](const char* p, std::size_t bytes) {
        std::uint64_t word = 0;
        std::memcpy(&word, p, bytes);
        return word;
    };
    const char* p = text.data();
    std::size_t n = text.size();
    std::uint64_t hash = 0x9e3779b97f4a7c15ull ^ (n * kMultiplier);
    for (; n > 8; p += 8, n -= 8) {
        hash = (hash ^ load(p, 8)) * kMultiplier;
        hash ^= hash >> 32;
    }
    // The last one to eight bytes, as overlapping fixed-size reads (a
    // short text's tail costs no byte loop): the size is mixed in above.
    std::uint64_t tail;
    if (n == 8)
        tail = load(p, 8);
    else if (n >= 4)
        tail = load(p, 4) | load(p + n - 4, 4) << 32;
    else if (n > 0)
        tail = static_cast<unsigned char>(p[0]) | static_cast<std::uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8 |
               static_cast<std::uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16;
    else
        tail = 0;
    hash = (hash ^ tail) * 0xc4ceb9fe1a85ec53ull;
    hash ^= hash >> 29;
    hash *= kMultiplier;
    return hash ^ (hash >> 32);
}

namespace {

// Equal texts, the short ones (most names) compared as two overlapping
// words instead of through a call.
inline bool SameText(std::string_view a, std::string_view b)
{
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    if (n >= 8 && n <= 16) {
        std::uint64_t a1, a2, b1, b2;
        std::memcpy(&a1, a.data(), 8);
        std::memcpy(&b1, b.data(), 8);
        std::memcpy(&a2, a.data() + n - 8, 8);
        std::memcpy(&b2, b.data() + n - 8, 8);
        return ((a1 ^ b1) | (a2 ^ b2)) == 0;
    }
    return std::memcmp(a.data(), b.data(), n) == 0;
}

} // namespace

std::size_t NameTable::SlotOf(std::string_view text, std::uint64_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    const std::uint64_t tag = hash & 0xffffffff00000000ull;
    for (std::size_t i = static_cast<std::size_t>(hash) & mask;; i = (i + 1) & mask) {
        const std::uint64_t slot = m_slots[i];
        if (slot == 0)
            return i;
        if ((slot & 0xffffffff00000000ull) == tag && SameText(m_views[(slot & 0xffffffffu) - 1], text))
            return i;
    }
}

void NameTable::Grow()
{
    std::vector<std::uint64_t> old = std::move(m_slots);
    m_slots.assign(old.empty() ? 64 : old.size() * 2, 0);
    const std::size_t mask = m_slots.size() - 1;
    for (const std::uint64_t slot : old) {
        if (slot == 0)
            continue;
        std::size_t i = static_cast<std::size_t>(HashName(m_views[(slot & 0xffffffffu) - 1])) & mask;
        while (m_slots[i] != 0)
            i = (i + 1) & mask;
        m_slots[i] = slot;
    }
}

std::uint32_t NameTable::Intern(std::string_view text)
{
    // At most half the slots are used, so that probes stay short.
    if ((m_texts.size() + 1) * 2 > m_slots.size())
        Grow();
    const std::uint64_t hash = HashName(text);
    std::uint64_t& slot = m_slots[SlotOf(text, hash)];
    if (slot != 0)
        return static_cast<std::uint32_t>((slot & 0xffffffffu) - 1);
    const auto id = static_cast<std::uint32_t>(m_texts.size());
    m_texts.emplace_back(text);
    m_views.emplace_back(m_texts.back());
    slot = (hash & 0xffffffff00000000ull) | (static_cast<std::uint64_t>(id) + 1);
    return id;
}

std::optional<std::uint32_t> NameTable::Find(std::string_view text) const
{
    if (m_slots.empty())
        return std::nullopt;
    const std::uint64_t slot = m_slots[SlotOf(text, HashName(text))];
    if (slot == 0)
        return std::nullopt;
    return static_cast<std::uint32_t>((slot & 0xffffffffu) - 1);
}

} // namespace dm

#pragma once
// A table of distinct texts, each stored once and known by a small number
// (its id, given in the order of first interning). Loading a year of log
// events names the same few hundred servers, ports and accounts a million
// times: the loaders look each spelling up here instead of keeping a copy.
//
// Ids stay valid, and the text of an id keeps its address, for the table's
// lifetime. Texts compare by exact spelling (case counts). Not thread-safe.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

// A fast 64-bit hash of a short text, read eight bytes at a time.
std::uint64_t HashName(std::string_view text);

class NameTable {
public:
    // The id of the text, added when it is new.
    std::uint32_t Intern(std::string_view text);
    // The id of the text when it is in the table.
    std::optional<std::uint32_t> Find(std::string_view text) const;

    const std::string& Text(std::uint32_t id) const { return m_texts[id]; }
    std::string_view Name(std::uint32_t id) const { return m_views[id]; }
    std::size_t Size() const { return m_texts.size(); }

private:
    // Each slot holds the id + 1 (0: empty) in its low half and the top
    // half of the text's hash in its high half, so that most mismatches are
    // told apart without reading the text.
    std::size_t SlotOf(std::string_view text, std::uint64_t hash) const;
    void Grow();

    std::deque<std::string> m_texts; // a deque: texts keep their address
    std::vector<std::string_view> m_views; // the texts, quicker to reach
    std::vector<std::uint64_t> m_slots;
};

} // namespace dm

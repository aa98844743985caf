#include "common/numbers.h"

#include <bit>
#include <charconv>
#include <climits>
#include <cstring>
#include <system_error>

namespace dm {

namespace {

// std::from_chars takes a leading '-' for signed types only and no '+' or
// blanks, which is the form asked for; it also refuses values outside T.
template <typename T>
std::optional<T> ParseWhole(std::string_view text, int base = 10)
{
    if (text.empty())
        return std::nullopt;
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// Parses the atoi form; returns the magnitude (saturated at 2^63) and the sign.
// low32 receives the magnitude modulo 2^32.
unsigned long long ParseAtoiForm(std::string_view text, bool& negative, bool& overflow,
                                 std::uint32_t* low32 = nullptr)
{
    std::uint32_t low = 0;
    std::size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && isSpace(text[i]))
        ++i;
    negative = false;
    overflow = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        low = low * 10u + static_cast<std::uint32_t>(text[i] - '0');
        if (value > (ULLONG_MAX - 9) / 10) {
            overflow = true;
            continue;
        }
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    if (low32)
        *low32 = low;
    return value;
}

// The common case of a log's numbers, plain digits of which there are at
// most eighteen (no sign, no blanks, no overflow of 64 bits): true with the
// value, else false and the full rules decide.
inline bool ShortDigits(std::string_view text, std::uint64_t& value)
{
    constexpr std::size_t kMost = 18;
    const char* p = text.data();
    const std::size_t size = text.size();
    std::size_t i = 0;
    std::uint64_t v = 0;
    // Eight digits at once where eight bytes are all digits (a time's
    // first eight): each byte's digit value gathered by multiplications.
    if (std::endian::native == std::endian::little && size >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        // Every byte's high half is 3, and still is with 6 added: '0' to '9'.
        if (((word & 0xf0f0f0f0f0f0f0f0ull) | (((word + 0x0606060606060606ull) & 0xf0f0f0f0f0f0f0f0ull) >> 4)) ==
            0x3333333333333333ull) {
            std::uint64_t x = word - 0x3030303030303030ull;
            x = (x * 10 + (x >> 8)) & 0x00ff00ff00ff00ffull;
            x = (x * 100 + (x >> 16)) & 0x0000ffff0000ffffull;
            x = (x * 10000 + (x >> 32)) & 0xffffffffull;
            v = x;
            i = 8;
        }
    }
    for (; i < size && i < kMost; ++i) {
        const unsigned digit = static_cast<unsigned char>(p[i]) - static_cast<unsigned>('0');
        if (digit > 9)
            break;
        v = v * 10 + digit;
    }
    if (i == 0 || (i == kMost && i < size && p[i] >= '0' && p[i] <= '9'))
        return false;
    value = v;
    return true;
}

} // namespace

int AtoiValue(std::string_view text)
{
    if (std::uint64_t value; ShortDigits(text, value))
        return value > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(value);
    bool negative;
    bool overflow;
    unsigned long long magnitude = ParseAtoiForm(text, negative, overflow);
    if (negative) {
        if (overflow || magnitude > static_cast<unsigned long long>(INT_MAX) + 1)
            return INT_MIN;
        return static_cast<int>(-static_cast<long long>(magnitude));
    }
    if (overflow || magnitude > static_cast<unsigned long long>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(magnitude);
}

std::uint32_t AtoiWrapped32(std::string_view text)
{
    if (std::uint64_t value; ShortDigits(text, value))
        return static_cast<std::uint32_t>(value);
    bool negative;
    bool overflow;
    std::uint32_t low = 0;
    ParseAtoiForm(text, negative, overflow, &low);
    return negative ? static_cast<std::uint32_t>(0u - low) : low;
}

std::optional<std::uint32_t> ParseUInt32(std::string_view text) { return ParseWhole<std::uint32_t>(text); }
std::optional<std::int32_t> ParseInt32(std::string_view text) { return ParseWhole<std::int32_t>(text); }
std::optional<std::uint64_t> ParseUInt64(std::string_view text) { return ParseWhole<std::uint64_t>(text); }
std::optional<std::int64_t> ParseInt64(std::string_view text) { return ParseWhole<std::int64_t>(text); }

std::optional<std::uint32_t> ParseUInt32DecimalOrHex(std::string_view text, std::uint32_t max)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::optional<std::uint32_t> value = hex ? ParseWhole<std::uint32_t>(text.substr(2), 16) : ParseUInt32(text);
    if (value && *value > max)
        return std::nullopt;
    return value;
}

} // namespace dm

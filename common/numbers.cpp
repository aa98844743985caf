#include "common/numbers.h"

#include <charconv>
#include <system_error>

namespace dm {

namespace {

// std::from_chars takes a leading '-' for signed types only and no '+' or
// blanks, which is the form asked for; it also refuses values outside T.
template <typename T>
std::optional<T> ParseWhole(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 10);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::uint32_t> ParseUInt32(std::string_view text) { return ParseWhole<std::uint32_t>(text); }
std::optional<std::int32_t> ParseInt32(std::string_view text) { return ParseWhole<std::int32_t>(text); }
std::optional<std::uint64_t> ParseUInt64(std::string_view text) { return ParseWhole<std::uint64_t>(text); }
std::optional<std::int64_t> ParseInt64(std::string_view text) { return ParseWhole<std::int64_t>(text); }

} // namespace dm

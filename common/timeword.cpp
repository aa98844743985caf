#include "common/timeword.h"

#include "common/numbers.h"
#include "common/timeformat.h"

namespace dm {

namespace {

// Takes from min to max decimal digits off the front of text.
bool TakeDigits(std::string_view& text, std::size_t min, std::size_t max, int& value)
{
    std::size_t n = 0;
    value = 0;
    while (n < max && n < text.size() && text[n] >= '0' && text[n] <= '9')
        value = value * 10 + (text[n++] - '0');
    text.remove_prefix(n);
    return n >= min;
}

bool TakeChar(std::string_view& text, char c)
{
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

} // namespace

std::optional<std::uint32_t> ParseTimeWord(std::string_view text, DateAlone dateAlone)
{
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos)
        return ParseUInt32(text);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!TakeDigits(text, 4, 4, year) || !TakeChar(text, '-') || !TakeDigits(text, 1, 2, month) ||
        !TakeChar(text, '-') || !TakeDigits(text, 1, 2, day))
        return std::nullopt;
    const bool dateOnly = text.empty();
    if (!dateOnly) {
        if (!TakeChar(text, ' ') || !TakeDigits(text, 1, 2, hour) || !TakeChar(text, ':') ||
            !TakeDigits(text, 1, 2, minute))
            return std::nullopt;
        if (TakeChar(text, ':') && !TakeDigits(text, 1, 2, second))
            return std::nullopt;
        if (!text.empty())
            return std::nullopt;
    }
    if (dateOnly && dateAlone == DateAlone::EndOfDay)
        return ExactLocalTime(year, month, day, 23, 59, 59);
    return ExactLocalTime(year, month, day, hour, minute, second);
}

} // namespace dm

#include "reports/reportformat.h"

#include "common/timeformat.h"

namespace dm {

std::string FormatReportTime(std::uint32_t time)
{
    // The seconds are dropped before formatting, so 14:03:59 shows as 14:03.
    const std::uint32_t minute = time - LocalFields(time).tm_sec;
    return FormatShortDate(minute) + " " + FormatTime24(minute);
}

std::string FormatDuration(std::uint64_t seconds)
{
    return std::to_string(seconds / 3600) + "\" " + std::to_string(seconds % 3600 / 60) + "' " +
           std::to_string(seconds % 60);
}

} // namespace dm

// The SZDD reader on arbitrary bytes: never crashes, never writes more than
// the header announces, and what our writer makes of the output expands back.

#include "platform/files/lzexpand.h"

#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    const dm::SzddExpansion x = dm::SzddExpand(input);
    if (dm::IsSzdd(input)) {
        const std::uint32_t announced = std::uint32_t(data[10]) | std::uint32_t(data[11]) << 8 |
                                        std::uint32_t(data[12]) << 16 | std::uint32_t(data[13]) << 24;
        if (x.data.size() > announced)
            std::abort();
    }
    const auto again = dm::SzddExpand(dm::SzddCompress(x.data));
    if (!again.ok() || again.data != x.data)
        std::abort();
    return 0;
}

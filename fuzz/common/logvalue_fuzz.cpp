// The log value decoders and the day-file reader on arbitrary bytes; a
// decoded record whose texts the writer can hold encodes to a value that
// decodes to the same record.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "common/logfilereader.h"
#include "common/logrecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    dm::LogRecord record;
    if (dm::DecodeLogValue(value, record)) {
        const bool writable =
            record.kind == dm::kLogConnect ||
            (record.user.view().find('?') == std::string::npos &&
             (record.kind != dm::kLogSessionEnd ||
              (record.user.view().find(':') == std::string::npos &&
               record.ipx.view().find_first_of("?:") == std::string::npos &&
               record.netbios.view().find('?') == std::string::npos)));
        if (writable) {
            dm::LogRecord back;
            if (!dm::DecodeLogValue(dm::FormatLogValue(record), back) || !(back == record))
                std::abort();
        }
    }
    dm::LogRecord legacy;
    dm::DecodeLegacyLogValue(value, legacy);

    std::vector<dm::LogRecord> records;
    dm::ReadLogText(value, dm::LogFileRules::Day, records);
    dm::ReadLogText(value, dm::LogFileRules::Legacy, records);
    return 0;
}

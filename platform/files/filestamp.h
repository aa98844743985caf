#pragma once
// What tells a reader that a file changed since it last read it: the
// modification time in nanoseconds and the size, so two writes within one
// second still count as a change.

#include <cstdint>
#include <string_view>

namespace dm {

struct FileStamp {
    std::int64_t modified = 0; // nanoseconds; 0 when the file cannot be examined
    std::uintmax_t size = 0;
    bool operator==(const FileStamp&) const = default;
};

// The stamp of a file named by its system path; a zero stamp when it cannot
// be resolved or examined.
FileStamp StampOf(std::string_view systemPath);

} // namespace dm

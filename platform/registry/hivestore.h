#pragma once
// Hive files on disk: the parsed documents cached by path, size,
// modification time and file identity (so a read of an unchanged hive costs
// no parse), and the one locked read-modify-write through which every change
// goes (platform/files/filelock.h).
//
// A hive that cannot be read (no permission, an I/O error) is an error for
// readers and writers alike: it is never taken for an empty hive, so a write
// can never replace a hive it could not read. A FIFO, device or directory in
// place of the hive file reads as no hive at all (without blocking on it),
// and a write to it fails. A replaced hive keeps the file's mode.

#include "platform/registry/reghive.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace dm {

class HiveStore {
public:
    // The hive as it is on disk now: 0 and the document (a missing file, or
    // one that is not a regular file, is an empty hive), or the Windows error
    // of the failed read (5 when access is denied) with hive left null.
    static unsigned long Load(const std::filesystem::path& file, std::shared_ptr<const RegHive>& hive);

    // Runs edit on the current hive under the hive's lock. When edit returns 0
    // and sets changed, the result replaces the file atomically. Returns
    // edit's result, or the Windows error of a failed lock, read or write;
    // edit does not run when the hive cannot be read.
    using Edit = std::function<unsigned long(RegHive& hive, bool& changed)>;
    static unsigned long Modify(const std::filesystem::path& file, const Edit& edit);

    // Forgets every cached hive (tests that rewrite files behind our back).
    static void ClearCache();
};

} // namespace dm

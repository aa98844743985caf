#pragma once
// Hive files on disk: the parsed documents cached by path, size,
// modification time and file identity (so a read of an unchanged hive costs
// no parse), and the one locked read-modify-write through which every change
// goes (platform/filelock.h).

#include "platform/reghive.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace dm {

class HiveStore {
public:
    // The hive as it is on disk now; a missing file is an empty hive.
    static std::shared_ptr<const RegHive> Load(const std::filesystem::path& file);

    // Runs edit on the current hive under the hive's lock. When edit returns 0
    // and sets changed, the result replaces the file atomically. Returns
    // edit's result, or the Windows error of a failed lock or write.
    using Edit = std::function<unsigned long(RegHive& hive, bool& changed)>;
    static unsigned long Modify(const std::filesystem::path& file, const Edit& edit);

    // Forgets every cached hive (tests that rewrite files behind our back).
    static void ClearCache();
};

} // namespace dm

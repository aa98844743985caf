#pragma once
// What a registry handle holds; shared by the registry's own sources only.

#include "platform/registry/reghive.h"
#include "platform/registry/registry.h"

#include <filesystem>
#include <memory>
#include <string>

namespace dm {

struct RegKey::State {
    std::filesystem::path hiveFile;
    std::string computer;
    KeyPath path; // as spelled in the hive when the handle was opened
    bool remote = false;
};

struct RegKeyAccess {
    static RegKey Make(std::shared_ptr<const RegKey::State> state) { return RegKey(std::move(state)); }
    static const RegKey::State& StateOf(const RegKey& key) { return *key.m_state; }
};

} // namespace dm

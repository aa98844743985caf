// Moving registry contents as REGEDIT4 text: export of a key with
// everything below it, and import of a text into a hive.

#include "platform/hivestore.h"
#include "platform/regeditformat.h"
#include "platform/reghive.h"
#include "platform/regkeystate.h"

#include <algorithm>

namespace dm {

using regedit::EqualsNoCase;

namespace {

bool IsPrefixNoCase(const KeyPath& prefix, const KeyPath& path)
{
    if (prefix.size() > path.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (!EqualsNoCase(prefix[i], path[i]))
            return false;
    }
    return true;
}

bool SamePath(const KeyPath& a, const KeyPath& b)
{
    return a.size() == b.size() && IsPrefixNoCase(a, b);
}

} // namespace

std::string RegHive::Export(const KeyPath& path, std::string_view eol) const
{
    std::string out = "REGEDIT4";
    out += eol;
    std::vector<KeyPath> done;
    auto emit = [&](const KeyPath& key) {
        if (std::any_of(done.begin(), done.end(), [&](const KeyPath& d) { return SamePath(d, key); }))
            return;
        done.push_back(key);
        out += eol;
        out += regedit::FormatKeyHeader(key);
        out += eol;
        if (HasOwnDenyMark(key)) {
            out += regedit::DenyRemoteMark;
            out += eol;
        }
        for (const auto& value : Values(key)) {
            out += regedit::FormatValueLine(value, eol);
            out += eol;
        }
    };
    const KeyPath top = Spelled(path);
    if (!top.empty() || !BlocksOf(top).empty())
        emit(top);
    for (const auto& b : m_blocks) {
        if (!b.localMachine || b.deletion || !IsPrefixNoCase(top, b.path))
            continue;
        // Keys only implied by this block come first, as a tree is read.
        for (std::size_t n = top.size() + 1; n <= b.path.size(); ++n)
            emit(KeyPath(b.path.begin(), b.path.begin() + static_cast<std::ptrdiff_t>(n)));
    }
    out += eol;
    return out;
}

std::size_t RegHive::Apply(const RegHive& import)
{
    std::size_t applied = 0;
    for (const auto& block : import.m_blocks) {
        if (!block.localMachine)
            continue;
        if (block.deletion) {
            applied += DeleteTree(block.path) ? 1 : 0;
            continue;
        }
        CreateKey(block.path);
        ++applied;
        for (const auto& entry : block.entries) {
            if (entry.kind == Entry::Value) {
                SetValue(block.path, entry.value);
                ++applied;
            } else if (entry.kind == Entry::ValueDeletion) {
                applied += DeleteValue(block.path, entry.value.name) ? 1 : 0;
            } else if (entry.kind == Entry::DenyMark) {
                SetDeniedToRemote(block.path, true);
            }
        }
    }
    return applied;
}

bool RegHive::TouchesDeniedKey(const RegHive& target) const
{
    return std::any_of(m_blocks.begin(), m_blocks.end(), [&](const Block& b) {
        return b.localMachine && target.IsDeniedToRemote(b.path);
    });
}

unsigned long RegExportText(const RegKey& key, std::string& text)
{
    if (!key.IsOpen())
        return winerr::InvalidHandle;
    const RegKey::State& state = RegKeyAccess::StateOf(key);
    const KeyPath& path = state.path;
    auto hive = HiveStore::Load(state.hiveFile);
    if (!hive->FindKey(path))
        return winerr::KeyDeleted;
    text = hive->Export(path);
    return winerr::Success;
}

unsigned long RegImportText(const RegKey& key, std::string_view text, std::size_t* imported)
{
    if (!key.IsOpen())
        return winerr::InvalidHandle;
    const RegHive import = RegHive::Parse(text);
    std::size_t count = 0;
    const RegKey::State& state = RegKeyAccess::StateOf(key);
    unsigned long error = HiveStore::Modify(state.hiveFile, [&](RegHive& hive, bool& changed) {
        if (key.IsRemote() && import.TouchesDeniedKey(hive))
            return winerr::AccessDenied;
        count = hive.Apply(import);
        changed = count > 0;
        return winerr::Success;
    });
    if (imported)
        *imported = error == winerr::Success ? count : 0;
    return error;
}

} // namespace dm

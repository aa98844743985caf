// Moving registry contents as REGEDIT4 text: export of a key with
// everything below it, and import of a text into a hive.

#include "common/ansitext.h"
#include "common/text.h"
#include "platform/registry/hivestore.h"
#include "platform/registry/regeditformat.h"
#include "platform/registry/reghive.h"
#include "platform/registry/regkeystate.h"

#include <algorithm>
#include <unordered_set>

namespace dm {

std::string RegHive::Export(const KeyPath& path, std::string_view eol, bool leaveOutDenied,
                            regedit::RegTextEncoding encoding) const
{
    std::string out(encoding == regedit::RegTextEncoding::Utf16 ? regedit::Regedit5Signature
                                                                : regedit::Regedit4Signature);
    out += eol;
    std::unordered_set<std::string> done;
    auto emit = [&](const KeyPath& key) {
        if (!done.insert(IndexKey(key, key.size())).second)
            return;
        if (leaveOutDenied && IsDeniedToRemote(key))
            return;
        out += eol;
        out += regedit::FormatKeyHeader(key);
        out += eol;
        if (HasOwnDenyMark(key)) {
            out += regedit::DenyRemoteMark;
            out += eol;
        }
        for (const auto& value : Values(key)) {
            out += regedit::FormatValueLine(value, eol, encoding);
            out += eol;
        }
    };
    const KeyPath top = Spelled(path);
    if (!top.empty() || !BlocksOf(top).empty())
        emit(top);
    for (const auto& b : m_blocks) {
        if (!b.localMachine || b.deletion || !IsKeyPathPrefix(top, b.path))
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

bool RegHive::AllowedToRemote(const RegHive& target) const
{
    return std::none_of(m_blocks.begin(), m_blocks.end(), [&](const Block& b) {
        if (!b.localMachine)
            return false;
        if (target.IsDeniedToRemote(b.path))
            return true;
        if (b.deletion)
            return target.HoldsDeniedKey(b.path);
        return std::any_of(b.entries.begin(), b.entries.end(),
                           [](const Entry& e) { return e.kind == Entry::DenyMark; });
    });
}

std::string regedit::Version5Text(std::string_view regedit4)
{
    // The same key as the text's first, so that no key above it is added.
    KeyPath top;
    for (std::size_t at = 0; at < regedit4.size();) {
        const std::size_t end = std::min(regedit4.find('\n', at), regedit4.size());
        std::string_view line = regedit4.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        KeyHeader header;
        if (ParseKeyHeader(line, header) && header.localMachine) {
            top = header.path;
            break;
        }
        at = end + 1;
    }
    return RegHive::Parse(regedit4).Export(top, "\r\n", false, RegTextEncoding::Utf16);
}

std::string regedit::Version5File(std::string_view regedit4)
{
    return "\xFF\xFE" + Utf8ToUtf16Le(Version5Text(regedit4));
}

unsigned long RegExportText(const RegKey& key, std::string& text)
{
    if (!key.IsOpen())
        return winerr::InvalidHandle;
    const RegKey::State& state = RegKeyAccess::StateOf(key);
    const KeyPath& path = state.path;
    std::shared_ptr<const RegHive> hive;
    if (unsigned long error = HiveStore::Load(state.hiveFile, hive))
        return error;
    if (!hive->FindKey(path))
        return winerr::KeyDeleted;
    // A remote caller's export leaves out what it could not open.
    text = hive->Export(path, "\r\n", state.remote);
    return winerr::Success;
}

unsigned long RegImportText(const RegKey& key, std::string_view text, std::size_t* imported)
{
    if (!key.IsOpen())
        return winerr::InvalidHandle;
    std::string decoded, reason;
    regedit::RegTextEncoding encoding = regedit::RegTextEncoding::Stored;
    if (!regedit::DecodeRegFile(text, decoded, encoding, reason)) {
        if (imported)
            *imported = 0;
        return winerr::InvalidData;
    }
    const RegHive import = RegHive::Parse(decoded, encoding);
    std::size_t count = 0;
    const RegKey::State& state = RegKeyAccess::StateOf(key);
    unsigned long error = HiveStore::Modify(state.hiveFile, [&](RegHive& hive, bool& changed) {
        if (key.IsRemote() && !import.AllowedToRemote(hive))
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

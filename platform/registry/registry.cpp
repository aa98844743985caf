#include "platform/registry/registry.h"

#include "platform/registry/hivestore.h"
#include "platform/registry/regkeystate.h"
#include "platform/files/network.h"
#include "platform/registry/regeditformat.h"

namespace fs = std::filesystem;

namespace dm {

namespace {

// "A\B", "\A\B\" -> {A, B}; false for empty inner components or names a hive
// cannot hold.
bool SplitKeyPath(std::string_view text, KeyPath& parts)
{
    parts.clear();
    if (!text.empty() && text.front() == '\\')
        text.remove_prefix(1);
    if (!text.empty() && text.back() == '\\')
        text.remove_suffix(1);
    if (text.empty())
        return true;
    while (true) {
        auto pos = text.find('\\');
        std::string_view part = text.substr(0, pos);
        if (!regedit::IsValidKeyComponent(part))
            return false;
        parts.emplace_back(part);
        if (pos == std::string_view::npos)
            return true;
        text.remove_prefix(pos + 1);
    }
}

KeyPath Join(const KeyPath& base, const KeyPath& rest)
{
    KeyPath full = base;
    full.insert(full.end(), rest.begin(), rest.end());
    return full;
}

unsigned long OpenHiveOf(std::string_view computer, bool checkNetwork, RegKey& hive)
{
    hive.Close();
    const std::string name = Network::NormalizeComputerName(computer);
    const bool local = name == Network::LocalComputerName();
    std::optional<fs::path> dir = Network::ComputerDir(name);
    if (!dir && local) {
        if (unsigned long error = Network::CheckLocalComputerName())
            return error;
        dir = Network::AddComputer(name);
    }
    if (!dir)
        return winerr::BadNetPath;
    if (checkNetwork && !local && Network::CheckReachable(name) != winerr::Success)
        return winerr::BadNetPath;
    auto state = std::make_shared<RegKey::State>();
    state->hiveFile = *dir / "registry.reg";
    state->computer = name;
    state->remote = checkNetwork && !local;
    hive = RegKeyAccess::Make(std::move(state));
    return winerr::Success;
}

} // namespace

RegKey::RegKey() = default;
RegKey::~RegKey() = default;
RegKey::RegKey(RegKey&& other) noexcept = default;
RegKey& RegKey::operator=(RegKey&& other) noexcept = default;
RegKey::RegKey(std::shared_ptr<const State> state) : m_state(std::move(state)) {}

bool RegKey::IsOpen() const { return m_state != nullptr; }
void RegKey::Close() { m_state.reset(); }
RegKey RegKey::Duplicate() const { return RegKey(m_state); }
std::string RegKey::Computer() const { return m_state ? m_state->computer : std::string(); }
bool RegKey::IsRemote() const { return m_state && m_state->remote; }

std::string RegKey::Path() const
{
    std::string path;
    if (!m_state)
        return path;
    for (const auto& part : m_state->path) {
        if (!path.empty())
            path += '\\';
        path += part;
    }
    return path;
}

unsigned long RegKey::OpenKey(std::string_view subKey, RegKey& result) const
{
    if (!m_state)
        return winerr::InvalidHandle;
    KeyPath rest;
    if (!SplitKeyPath(subKey, rest)) {
        result.Close();
        return winerr::FileNotFound;
    }
    std::shared_ptr<const RegHive> hive;
    if (unsigned long error = HiveStore::Load(m_state->hiveFile, hive)) {
        result.Close();
        return error;
    }
    if (!hive->FindKey(m_state->path)) {
        result.Close();
        return winerr::KeyDeleted;
    }
    const KeyPath full = Join(m_state->path, rest);
    auto spelled = hive->FindKey(full);
    if (!spelled || (m_state->remote && hive->IsDeniedToRemote(full))) {
        result.Close();
        return spelled ? winerr::AccessDenied : winerr::FileNotFound;
    }
    auto state = std::make_shared<State>(*m_state);
    state->path = std::move(*spelled);
    result = RegKey(std::move(state));
    return winerr::Success;
}

unsigned long RegKey::CreateKey(std::string_view subKey, RegKey& result, bool* created) const
{
    if (!m_state)
        return winerr::InvalidHandle;
    KeyPath rest;
    if (!SplitKeyPath(subKey, rest)) {
        result.Close();
        return winerr::InvalidParameter;
    }
    const KeyPath full = Join(m_state->path, rest);
    KeyPath spelled;
    bool isNew = false;
    unsigned long error = HiveStore::Modify(m_state->hiveFile, [&](RegHive& hive, bool& changed) {
        if (!hive.FindKey(m_state->path))
            return winerr::KeyDeleted;
        if (m_state->remote && hive.IsDeniedToRemote(full))
            return winerr::AccessDenied;
        isNew = changed = hive.CreateKey(full);
        spelled = *hive.FindKey(full);
        return winerr::Success;
    });
    if (error != winerr::Success) {
        result.Close();
        return error;
    }
    if (created)
        *created = isNew;
    auto state = std::make_shared<State>(*m_state);
    state->path = std::move(spelled);
    result = RegKey(std::move(state));
    return winerr::Success;
}

static unsigned long RemoveKey(const RegKey::State& state, std::string_view subKey, bool tree)
{
    KeyPath rest;
    if (!SplitKeyPath(subKey, rest))
        return winerr::FileNotFound;
    const KeyPath full = Join(state.path, rest);
    if (full.empty())
        return winerr::AccessDenied; // the hive itself cannot go
    return HiveStore::Modify(state.hiveFile, [&](RegHive& hive, bool& changed) {
        if (!hive.FindKey(full))
            return winerr::FileNotFound;
        // A remote caller may not remove a denied key, nor one that holds a
        // denied key somewhere below it.
        if (state.remote && (hive.IsDeniedToRemote(full) || hive.HoldsDeniedKey(full)))
            return winerr::AccessDenied;
        if (!tree && !hive.SubKeys(full).empty())
            return winerr::AccessDenied;
        changed = hive.DeleteTree(full);
        return winerr::Success;
    });
}

unsigned long RegKey::DeleteKey(std::string_view subKey) const
{
    return m_state ? RemoveKey(*m_state, subKey, false) : winerr::InvalidHandle;
}

unsigned long RegKey::DeleteTree(std::string_view subKey) const
{
    return m_state ? RemoveKey(*m_state, subKey, true) : winerr::InvalidHandle;
}

unsigned long RegKey::EnumKey(unsigned long index, std::string& name, std::size_t capacity) const
{
    if (!m_state)
        return winerr::InvalidHandle;
    std::shared_ptr<const RegHive> hive;
    if (unsigned long error = HiveStore::Load(m_state->hiveFile, hive))
        return error;
    if (!hive->FindKey(m_state->path))
        return winerr::KeyDeleted;
    const std::string* found = hive->SubKeyAt(m_state->path, index);
    if (!found)
        return winerr::NoMoreItems;
    if (capacity != 0 && found->size() + 1 > capacity)
        return winerr::MoreData;
    name = *found;
    return winerr::Success;
}

unsigned long RegKey::EnumValue(unsigned long index, RegValue& value) const
{
    if (!m_state)
        return winerr::InvalidHandle;
    std::shared_ptr<const RegHive> hive;
    if (unsigned long error = HiveStore::Load(m_state->hiveFile, hive))
        return error;
    if (!hive->FindKey(m_state->path))
        return winerr::KeyDeleted;
    const auto values = hive->Values(m_state->path);
    if (index >= values.size())
        return winerr::NoMoreItems;
    value = values[index];
    return winerr::Success;
}

std::vector<std::string> RegKey::SubKeyNames() const
{
    if (!m_state)
        return {};
    std::shared_ptr<const RegHive> hive;
    if (HiveStore::Load(m_state->hiveFile, hive) != 0 || !hive->FindKey(m_state->path))
        return {};
    return hive->SubKeys(m_state->path);
}

unsigned long RegKey::QueryValue(std::string_view name, RegValue& value, std::size_t capacity) const
{
    if (!m_state)
        return winerr::InvalidHandle;
    std::shared_ptr<const RegHive> hive;
    if (unsigned long error = HiveStore::Load(m_state->hiveFile, hive))
        return error;
    if (!hive->FindKey(m_state->path))
        return winerr::KeyDeleted;
    auto found = hive->FindValue(m_state->path, name);
    if (!found)
        return winerr::FileNotFound;
    std::size_t needed = found->data.size();
    if (found->type == RegSz || found->type == RegExpandSz)
        ++needed; // the terminating zero
    if (capacity != 0 && needed > capacity)
        return winerr::MoreData;
    value = std::move(*found);
    return winerr::Success;
}

unsigned long RegKey::QueryString(std::string_view name, std::string& text, std::size_t capacity) const
{
    RegValue value;
    if (unsigned long error = QueryValue(name, value))
        return error;
    std::string decoded;
    if (!value.AsString(decoded))
        return winerr::UnsupportedType;
    if (capacity != 0 && value.data.size() + 1 > capacity)
        return winerr::MoreData;
    text = std::move(decoded);
    return winerr::Success;
}

unsigned long RegKey::QueryDword(std::string_view name, std::uint32_t& number) const
{
    RegValue value;
    if (unsigned long error = QueryValue(name, value))
        return error;
    return value.AsDword(number) ? winerr::Success : winerr::UnsupportedType;
}

unsigned long RegKey::QueryMultiString(std::string_view name, std::vector<std::string>& strings,
                                       std::size_t capacity) const
{
    RegValue value;
    if (unsigned long error = QueryValue(name, value))
        return error;
    std::vector<std::string> decoded;
    if (!value.AsMultiString(decoded))
        return winerr::UnsupportedType;
    if (capacity != 0 && value.data.size() > capacity)
        return winerr::MoreData;
    strings = std::move(decoded);
    return winerr::Success;
}

unsigned long RegKey::SetValue(const RegValue& value) const
{
    if (!m_state)
        return winerr::InvalidHandle;
    if (!regedit::IsValidValueName(value.name))
        return winerr::InvalidParameter;
    return HiveStore::Modify(m_state->hiveFile, [&](RegHive& hive, bool& changed) {
        if (!hive.FindKey(m_state->path))
            return winerr::KeyDeleted;
        auto old = hive.FindValue(m_state->path, value.name);
        if (old && old->type == value.type && old->data == value.data)
            return winerr::Success; // nothing to write
        hive.SetValue(m_state->path, value);
        changed = true;
        return winerr::Success;
    });
}

unsigned long RegKey::SetString(std::string_view name, std::string_view text) const
{
    return SetValue(RegValue::String(std::string(name), text));
}

unsigned long RegKey::SetDword(std::string_view name, std::uint32_t number) const
{
    return SetValue(RegValue::Dword(std::string(name), number));
}

unsigned long RegKey::SetMultiString(std::string_view name, const std::vector<std::string>& strings) const
{
    return SetValue(RegValue::MultiString(std::string(name), strings));
}

unsigned long RegKey::DeleteValue(std::string_view name) const
{
    if (!m_state)
        return winerr::InvalidHandle;
    return HiveStore::Modify(m_state->hiveFile, [&](RegHive& hive, bool& changed) {
        if (!hive.FindKey(m_state->path))
            return winerr::KeyDeleted;
        changed = hive.DeleteValue(m_state->path, name);
        return changed ? winerr::Success : winerr::FileNotFound;
    });
}

unsigned long RegKey::SetDeniedToRemote(bool denied) const
{
    if (!m_state)
        return winerr::InvalidHandle;
    if (m_state->remote)
        return winerr::AccessDenied;
    return HiveStore::Modify(m_state->hiveFile, [&](RegHive& hive, bool& changed) {
        if (!hive.FindKey(m_state->path))
            return winerr::KeyDeleted;
        if (hive.HasOwnDenyMark(m_state->path) != denied) {
            hive.SetDeniedToRemote(m_state->path, denied);
            changed = true;
        }
        return winerr::Success;
    });
}

bool RegKey::IsDeniedToRemote() const
{
    std::shared_ptr<const RegHive> hive;
    return m_state && HiveStore::Load(m_state->hiveFile, hive) == 0 &&
           hive->IsDeniedToRemote(m_state->path);
}

unsigned long RegConnectRegistry(std::string_view computer, RegKey& hive)
{
    return OpenHiveOf(computer, true, hive);
}

unsigned long RegOpenLocalMachine(RegKey& hive)
{
    return OpenHiveOf("", false, hive);
}

unsigned long RegOpenHive(std::string_view computer, RegKey& hive)
{
    return OpenHiveOf(computer, false, hive);
}

} // namespace dm

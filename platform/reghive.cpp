#include "platform/reghive.h"

#include "platform/regeditformat.h"

#include <algorithm>

namespace dm {

using regedit::EqualsNoCase;

namespace {

struct PhysicalLine {
    std::string_view text;
    std::string_view eol;
};

std::vector<PhysicalLine> SplitLines(std::string_view text)
{
    std::vector<PhysicalLine> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back({text.substr(start), {}});
            break;
        }
        std::size_t eolLength = (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1;
        lines.push_back({text.substr(start, end - start), text.substr(end, eolLength)});
        start = end + eolLength;
    }
    return lines;
}

std::string_view TrimBlanks(std::string_view s)
{
    auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool IsPrefix(const KeyPath& prefix, const KeyPath& path)
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
    return a.size() == b.size() && IsPrefix(a, b);
}

} // namespace

RegHive::RegHive() = default;

RegHive RegHive::Parse(std::string_view text)
{
    RegHive hive;
    const auto lines = SplitLines(text);
    for (const auto& line : lines) {
        if (!line.eol.empty()) {
            hive.m_eol = std::string(line.eol);
            break;
        }
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        regedit::KeyHeader header;
        if (regedit::ParseKeyHeader(lines[i].text, header)) {
            Block block;
            block.raw = std::string(lines[i].text);
            block.eol = std::string(lines[i].eol);
            block.path = std::move(header.path);
            block.localMachine = header.localMachine;
            block.deletion = header.deletion;
            hive.m_blocks.push_back(std::move(block));
            continue;
        }
        Entry entry;
        entry.raw = std::string(lines[i].text);
        entry.eol = std::string(lines[i].eol);
        if (hive.m_blocks.empty()) {
            hive.m_preamble.push_back(std::move(entry));
            continue;
        }
        // A byte list continues while its line ends in a backslash.
        std::string logical(lines[i].text);
        if (regedit::ContinuesOnNextLine(logical)) {
            std::string_view current = lines[i].text;
            while (i + 1 < lines.size() && !TrimBlanks(current).empty() &&
                   TrimBlanks(current).back() == '\\' && !lines[i].eol.empty()) {
                regedit::KeyHeader next;
                if (regedit::ParseKeyHeader(lines[i + 1].text, next))
                    break;
                logical.resize(logical.find_last_of('\\'));
                ++i;
                current = lines[i].text;
                logical += TrimBlanks(current);
                entry.raw += entry.eol;
                entry.raw += current;
                entry.eol = std::string(lines[i].eol);
            }
        }
        switch (regedit::ParseValueLine(logical, entry.value)) {
        case regedit::ValueLineKind::Value: entry.kind = Entry::Value; break;
        case regedit::ValueLineKind::Deletion: entry.kind = Entry::ValueDeletion; break;
        case regedit::ValueLineKind::NotAValue:
            entry.kind = regedit::IsDenyRemoteMark(logical) ? Entry::DenyMark : Entry::Other;
            break;
        }
        hive.m_blocks.back().entries.push_back(std::move(entry));
    }
    return hive;
}

void RegHive::AppendEntry(std::string& out, const Entry& entry, bool pending, std::string_view eol)
{
    if (pending)
        out += eol;
    if (entry.kind == Entry::Value && entry.raw.empty())
        out += regedit::FormatValueLine(entry.value, eol);
    else
        out += entry.raw;
    out += entry.eol;
}

std::string RegHive::Serialize() const
{
    std::string out;
    bool pending = false; // the previous line had no line end (end of the text as read)
    for (const auto& entry : m_preamble) {
        AppendEntry(out, entry, pending, m_eol);
        pending = entry.eol.empty();
    }
    for (const auto& block : m_blocks) {
        if (pending)
            out += m_eol;
        out += block.raw.empty() ? regedit::FormatKeyHeader(block.path) : block.raw;
        out += block.eol;
        pending = block.eol.empty();
        for (const auto& entry : block.entries) {
            AppendEntry(out, entry, pending, m_eol);
            pending = entry.eol.empty();
        }
    }
    return out;
}

std::vector<std::size_t> RegHive::BlocksOf(const KeyPath& path) const
{
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        const Block& b = m_blocks[i];
        if (b.localMachine && !b.deletion && SamePath(b.path, path))
            found.push_back(i);
    }
    return found;
}

std::optional<KeyPath> RegHive::FindKey(const KeyPath& path) const
{
    if (path.empty())
        return KeyPath();
    for (const auto& b : m_blocks) {
        if (b.localMachine && !b.deletion && IsPrefix(path, b.path))
            return KeyPath(b.path.begin(), b.path.begin() + static_cast<std::ptrdiff_t>(path.size()));
    }
    return std::nullopt;
}

KeyPath RegHive::Spelled(const KeyPath& path) const
{
    KeyPath spelled = path;
    for (std::size_t n = path.size(); n > 0; --n) {
        if (auto existing = FindKey(KeyPath(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(n)))) {
            std::copy(existing->begin(), existing->end(), spelled.begin());
            break;
        }
    }
    return spelled;
}

std::vector<std::string> RegHive::SubKeys(const KeyPath& path) const
{
    std::vector<std::string> names;
    for (const auto& b : m_blocks) {
        if (!b.localMachine || b.deletion || b.path.size() <= path.size() || !IsPrefix(path, b.path))
            continue;
        const std::string& child = b.path[path.size()];
        if (std::none_of(names.begin(), names.end(),
                         [&](const std::string& n) { return EqualsNoCase(n, child); }))
            names.push_back(child);
    }
    return names;
}

std::vector<RegValue> RegHive::Values(const KeyPath& path) const
{
    std::vector<RegValue> values;
    for (std::size_t index : BlocksOf(path)) {
        for (const auto& entry : m_blocks[index].entries) {
            if (entry.kind != Entry::Value)
                continue;
            auto same = std::find_if(values.begin(), values.end(), [&](const RegValue& v) {
                return EqualsNoCase(v.name, entry.value.name);
            });
            if (same != values.end())
                *same = entry.value;
            else
                values.push_back(entry.value);
        }
    }
    return values;
}

std::optional<RegValue> RegHive::FindValue(const KeyPath& path, std::string_view name) const
{
    const auto blocks = BlocksOf(path);
    for (auto b = blocks.rbegin(); b != blocks.rend(); ++b) {
        const auto& entries = m_blocks[*b].entries;
        for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
            if (e->kind == Entry::Value && EqualsNoCase(e->value.name, name))
                return e->value;
        }
    }
    return std::nullopt;
}

bool RegHive::HasOwnDenyMark(const KeyPath& path) const
{
    for (std::size_t index : BlocksOf(path)) {
        for (const auto& entry : m_blocks[index].entries) {
            if (entry.kind == Entry::DenyMark)
                return true;
        }
    }
    return false;
}

bool RegHive::IsDeniedToRemote(const KeyPath& path) const
{
    for (std::size_t n = 0; n <= path.size(); ++n) {
        if (HasOwnDenyMark(KeyPath(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(n))))
            return true;
    }
    return false;
}

std::size_t RegHive::InsertBlock(const KeyPath& path)
{
    if (m_preamble.empty() && m_blocks.empty()) {
        m_preamble.push_back({Entry::Other, "REGEDIT4", m_eol, {}});
        m_preamble.push_back({Entry::Other, "", m_eol, {}});
    }
    // After the parent's last descendant, so the file stays ordered as a tree
    // and a new key comes after its existing siblings.
    const KeyPath parent(path.begin(), path.end() - (path.empty() ? 0 : 1));
    std::size_t position = m_blocks.size();
    if (!parent.empty()) {
        for (std::size_t i = 0; i < m_blocks.size(); ++i) {
            if (m_blocks[i].localMachine && !m_blocks[i].deletion && IsPrefix(parent, m_blocks[i].path))
                position = i + 1;
        }
    }
    // Keep a blank line between blocks.
    auto isBlank = [](const Entry& e) { return e.kind == Entry::Other && TrimBlanks(e.raw).empty(); };
    std::vector<Entry>& before = position == 0 ? m_preamble : m_blocks[position - 1].entries;
    if (before.empty() || !isBlank(before.back()))
        before.push_back({Entry::Other, "", m_eol, {}});

    Block block;
    block.eol = m_eol;
    block.path = path;
    block.entries.push_back({Entry::Other, "", m_eol, {}});
    m_blocks.insert(m_blocks.begin() + static_cast<std::ptrdiff_t>(position), std::move(block));
    return position;
}

std::size_t RegHive::BlockForWriting(const KeyPath& path)
{
    const auto blocks = BlocksOf(path);
    if (!blocks.empty())
        return blocks.back();
    return InsertBlock(Spelled(path));
}

bool RegHive::CreateKey(const KeyPath& path)
{
    if (FindKey(path))
        return false;
    InsertBlock(Spelled(path));
    return true;
}

bool RegHive::DeleteTree(const KeyPath& path)
{
    if (path.empty() || !FindKey(path))
        return false;
    const KeyPath parent = Spelled(KeyPath(path.begin(), path.end() - 1));
    std::erase_if(m_blocks, [&](const Block& b) {
        return b.localMachine && !b.deletion && IsPrefix(path, b.path);
    });
    // The parent may have existed only through the deleted key; it stays.
    if (!FindKey(parent))
        InsertBlock(parent);
    return true;
}

void RegHive::SetValue(const KeyPath& path, const RegValue& value)
{
    const auto blocks = BlocksOf(path);
    for (auto b = blocks.rbegin(); b != blocks.rend(); ++b) {
        auto& entries = m_blocks[*b].entries;
        for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
            if (e->kind == Entry::Value && EqualsNoCase(e->value.name, value.name)) {
                std::string spelling = std::move(e->value.name);
                e->value = value;
                e->value.name = std::move(spelling);
                e->raw.clear();
                return;
            }
        }
    }
    auto& entries = m_blocks[BlockForWriting(path)].entries;
    auto last = std::find_if(entries.rbegin(), entries.rend(),
                             [](const Entry& e) { return e.kind != Entry::Other; });
    auto position = last.base(); // just after the last value or mark, or at the start
    entries.insert(position, Entry{Entry::Value, "", m_eol, value});
}

bool RegHive::DeleteValue(const KeyPath& path, std::string_view name)
{
    bool removed = false;
    for (std::size_t index : BlocksOf(path)) {
        removed |= std::erase_if(m_blocks[index].entries, [&](const Entry& e) {
            return e.kind == Entry::Value && EqualsNoCase(e.value.name, name);
        }) > 0;
    }
    return removed;
}

void RegHive::SetDeniedToRemote(const KeyPath& path, bool denied)
{
    if (!denied) {
        for (std::size_t index : BlocksOf(path))
            std::erase_if(m_blocks[index].entries, [](const Entry& e) { return e.kind == Entry::DenyMark; });
        return;
    }
    if (HasOwnDenyMark(path))
        return;
    auto& entries = m_blocks[BlockForWriting(path)].entries;
    entries.insert(entries.begin(), Entry{Entry::DenyMark, std::string(regedit::DenyRemoteMark), m_eol, {}});
}

} // namespace dm

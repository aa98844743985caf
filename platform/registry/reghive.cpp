#include "platform/registry/reghive.h"

#include "common/text.h"
#include "platform/registry/regeditformat.h"

#include <algorithm>
#include <cctype>

namespace dm {


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

} // namespace

bool IsKeyPathPrefix(const KeyPath& prefix, const KeyPath& path)
{
    if (prefix.size() > path.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (!EqualNoCase(prefix[i], path[i]))
            return false;
    }
    return true;
}

RegHive::RegHive()
{
    RebuildIndex();
}

// The index holds iterators into the block list: a copy indexes its own list.
RegHive::RegHive(const RegHive& other)
    : m_preamble(other.m_preamble), m_blocks(other.m_blocks), m_eol(other.m_eol)
{
    RebuildIndex();
}

RegHive& RegHive::operator=(const RegHive& other)
{
    if (this != &other) {
        RegHive copy(other);
        *this = std::move(copy);
    }
    return *this;
}

std::string RegHive::IndexKey(const KeyPath& path, std::size_t length)
{
    std::string key;
    for (std::size_t i = 0; i < length; ++i) {
        if (i > 0)
            key += '\\';
        for (char c : path[i])
            key += UpperAscii(c);
    }
    return key;
}

const RegHive::KeyNode* RegHive::Node(const KeyPath& path) const
{
    auto it = m_keys.find(IndexKey(path, path.size()));
    return it == m_keys.end() ? nullptr : &it->second;
}

RegHive::KeyNode* RegHive::Node(const KeyPath& path)
{
    auto it = m_keys.find(IndexKey(path, path.size()));
    return it == m_keys.end() ? nullptr : &it->second;
}

void RegHive::IndexAppended(BlockIt block)
{
    if (!block->localMachine || block->deletion)
        return;
    const KeyPath& path = block->path;
    std::string key;
    KeyNode* parent = &m_keys[key];
    parent->last = block;
    for (std::size_t n = 1; n <= path.size(); ++n) {
        if (n > 1)
            key += '\\';
        for (char c : path[n - 1])
            key += UpperAscii(c);
        auto [it, created] = m_keys.try_emplace(key);
        KeyNode& node = it->second;
        if (created) {
            node.spelled.assign(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(n));
            parent->children.push_back(path[n - 1]);
        }
        node.last = block;
        parent = &node;
    }
    parent->own.push_back(block);
}

void RegHive::RebuildIndex()
{
    m_keys.clear();
    m_keys[std::string()];
    for (auto it = m_blocks.begin(); it != m_blocks.end(); ++it)
        IndexAppended(it);
}

RegHive RegHive::Parse(std::string_view text, regedit::RegTextEncoding encoding)
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
            hive.IndexAppended(std::prev(hive.m_blocks.end()));
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
        switch (regedit::ParseValueLine(logical, entry.value, encoding)) {
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

std::vector<RegHive::BlockIt> RegHive::BlocksOf(const KeyPath& path) const
{
    const KeyNode* node = Node(path);
    return node ? node->own : std::vector<BlockIt>{};
}

std::optional<KeyPath> RegHive::FindKey(const KeyPath& path) const
{
    if (path.empty())
        return KeyPath();
    const KeyNode* node = Node(path);
    if (!node)
        return std::nullopt;
    return node->spelled;
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
    const KeyNode* node = Node(path);
    return node ? node->children : std::vector<std::string>{};
}

const std::string* RegHive::SubKeyAt(const KeyPath& path, std::size_t index) const
{
    const KeyNode* node = Node(path);
    return node && index < node->children.size() ? &node->children[index] : nullptr;
}

std::vector<RegValue> RegHive::Values(const KeyPath& path) const
{
    std::vector<RegValue> values;
    for (BlockIt block : BlocksOf(path)) {
        for (const auto& entry : block->entries) {
            if (entry.kind != Entry::Value)
                continue;
            auto same = std::find_if(values.begin(), values.end(), [&](const RegValue& v) {
                return EqualNoCase(v.name, entry.value.name);
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
        const auto& entries = (*b)->entries;
        for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
            if (e->kind == Entry::Value && EqualNoCase(e->value.name, name))
                return e->value;
        }
    }
    return std::nullopt;
}

bool RegHive::HasOwnDenyMark(const KeyPath& path) const
{
    const KeyNode* node = Node(path);
    if (!node)
        return false;
    for (BlockIt block : node->own) {
        for (const auto& entry : block->entries) {
            if (entry.kind == Entry::DenyMark)
                return true;
        }
    }
    return false;
}

bool RegHive::HoldsDeniedKey(const KeyPath& path) const
{
    const KeyNode* node = Node(path);
    if (!node)
        return false;
    for (const auto& child : node->children) {
        KeyPath below = node->spelled;
        below.push_back(child);
        if (HasOwnDenyMark(below) || HoldsDeniedKey(below))
            return true;
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

RegHive::BlockIt RegHive::InsertBlock(const KeyPath& path)
{
    if (m_preamble.empty() && m_blocks.empty()) {
        m_preamble.push_back({Entry::Other, "REGEDIT4", m_eol, {}});
        m_preamble.push_back({Entry::Other, "", m_eol, {}});
    }
    // After the parent's last descendant, so the file stays ordered as a tree
    // and a new key comes after its existing siblings; at the end when the
    // parent is the hive itself or does not exist yet.
    const KeyPath parent(path.begin(), path.end() - (path.empty() ? 0 : 1));
    const KeyNode* parentNode = parent.empty() ? nullptr : Node(parent);
    const BlockIt position = parentNode ? std::next(parentNode->last) : m_blocks.end();
    const bool atEnd = position == m_blocks.end();
    const BlockIt previous = parentNode ? parentNode->last : BlockIt();

    // Keep a blank line between blocks.
    auto isBlank = [](const Entry& e) { return e.kind == Entry::Other && TrimBlanks(e.raw).empty(); };
    std::vector<Entry>& before = position == m_blocks.begin() ? m_preamble : std::prev(position)->entries;
    if (before.empty() || !isBlank(before.back()))
        before.push_back({Entry::Other, "", m_eol, {}});

    Block block;
    block.eol = m_eol;
    block.path = path;
    block.entries.push_back({Entry::Other, "", m_eol, {}});
    const BlockIt inserted = m_blocks.insert(position, std::move(block));

    if (atEnd) {
        // The last block of the file is the last of every key above it.
        IndexAppended(inserted);
        return inserted;
    }
    // Only the key itself can be new here: its parent exists.
    auto [it, created] = m_keys.try_emplace(IndexKey(path, path.size()));
    KeyNode& node = it->second;
    if (created) {
        node.spelled = path;
        Node(parent)->children.push_back(path.back());
    }
    node.own.push_back(inserted);
    node.last = inserted;
    // Keys whose tree ended with the block before now end with this one.
    for (std::size_t n = parent.size(); n > 0; --n) {
        KeyNode* above = Node(KeyPath(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(n)));
        if (above->last != previous)
            break;
        above->last = inserted;
    }
    return inserted;
}

RegHive::BlockIt RegHive::BlockForWriting(const KeyPath& path)
{
    const KeyNode* node = Node(path);
    if (node && !node->own.empty())
        return node->own.back();
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
    m_blocks.remove_if([&](const Block& b) {
        return b.localMachine && !b.deletion && IsKeyPathPrefix(path, b.path);
    });
    RebuildIndex();
    // The parent may have existed only through the deleted key; it stays.
    if (!FindKey(parent))
        InsertBlock(parent);
    return true;
}

void RegHive::SetValue(const KeyPath& path, const RegValue& value)
{
    const auto blocks = BlocksOf(path);
    for (auto b = blocks.rbegin(); b != blocks.rend(); ++b) {
        auto& entries = (*b)->entries;
        for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
            if (e->kind == Entry::Value && EqualNoCase(e->value.name, value.name)) {
                std::string spelling = std::move(e->value.name);
                e->value = value;
                e->value.name = std::move(spelling);
                e->raw.clear();
                return;
            }
        }
    }
    auto& entries = BlockForWriting(path)->entries;
    auto last = std::find_if(entries.rbegin(), entries.rend(),
                             [](const Entry& e) { return e.kind != Entry::Other; });
    auto position = last.base(); // just after the last value or mark, or at the start
    entries.insert(position, Entry{Entry::Value, "", m_eol, value});
}

bool RegHive::DeleteValue(const KeyPath& path, std::string_view name)
{
    bool removed = false;
    for (BlockIt block : BlocksOf(path)) {
        removed |= std::erase_if(block->entries, [&](const Entry& e) {
            return e.kind == Entry::Value && EqualNoCase(e.value.name, name);
        }) > 0;
    }
    return removed;
}

void RegHive::SetDeniedToRemote(const KeyPath& path, bool denied)
{
    if (!denied) {
        for (BlockIt block : BlocksOf(path))
            std::erase_if(block->entries, [](const Entry& e) { return e.kind == Entry::DenyMark; });
        return;
    }
    if (HasOwnDenyMark(path))
        return;
    auto& entries = BlockForWriting(path)->entries;
    entries.insert(entries.begin(), Entry{Entry::DenyMark, std::string(regedit::DenyRemoteMark), m_eol, {}});
}

} // namespace dm

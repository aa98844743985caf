#include "common/inifile.h"

#include "common/ansitext.h"
#include "common/text.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace dm {

namespace {

std::string SwapBytePairs(std::string_view bytes)
{
    std::string out(bytes);
    for (std::size_t i = 0; i + 1 < out.size(); i += 2)
        std::swap(out[i], out[i + 1]);
    return out;
}

// The UTF-16 text after a byte-order mark as UTF-8; false when the bytes
// are no UTF-16 that would be written back the same (an odd length, a lone
// surrogate), so that such a file is kept byte for byte.
bool DecodeUtf16(std::string_view text, std::string& decoded, IniFile::Encoding& encoding)
{
    IniFile::Encoding found;
    std::string little;
    if (text.substr(0, 2) == "\xFF\xFE") {
        found = IniFile::Encoding::Utf16Le;
        little = std::string(text.substr(2));
    } else if (text.substr(0, 2) == "\xFE\xFF") {
        found = IniFile::Encoding::Utf16Be;
        little = SwapBytePairs(text.substr(2));
    } else {
        return false;
    }
    decoded = Utf16LeToUtf8(little);
    if (Utf8ToUtf16Le(decoded) != little)
        return false;
    encoding = found;
    return true;
}

} // namespace

namespace {

// Calls fn(text, end) for each line of text, split as ParseIni splits them.
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& fn)
{
    // Lines of a profile file are short: a plain loop finds their ends
    // sooner than a library search per line would.
    const char* data = text.data();
    const std::size_t size = text.size();
    std::size_t pos = 0;
    while (pos < size) {
        std::size_t lineEnd = pos;
        while (lineEnd < size && data[lineEnd] != '\n' && data[lineEnd] != '\r')
            ++lineEnd;
        LineEnd end = LineEnd::None;
        std::size_t next = size;
        if (lineEnd < size && data[lineEnd] == '\r') {
            end = lineEnd + 1 < size && data[lineEnd + 1] == '\n' ? LineEnd::CrLf : LineEnd::Cr;
            next = lineEnd + (end == LineEnd::CrLf ? 2 : 1);
        } else if (lineEnd < size) {
            end = LineEnd::Lf;
            next = lineEnd + 1;
        }
        if (!fn(std::string_view(data + pos, lineEnd - pos), end))
            return;
        pos = next;
    }
}

// Calls fn(line, kind) for each key line of a section's text, after its
// header line; fn returns false to stop.
template <typename Fn>
void ForEachKeyLine(std::string_view sectionText, Fn&& fn)
{
    bool header = true;
    ForEachLine(sectionText, [&](std::string_view line, LineEnd) {
        if (header) {
            header = false;
            return true;
        }
        const IniLineKind kind = ClassifyIniLine(line, true);
        return kind.kind != IniLineKind::Key || fn(line, kind);
    });
}

// The end of the line that starts at or before pos: the first CR or LF.
std::size_t LineEndAt(std::string_view text, std::size_t pos)
{
    const char* data = text.data();
    const char* lf = static_cast<const char*>(std::memchr(data + pos, '\n', text.size() - pos));
    const std::size_t limit = lf ? static_cast<std::size_t>(lf - data) : text.size();
    const char* cr = static_cast<const char*>(std::memchr(data + pos, '\r', limit - pos));
    return cr ? static_cast<std::size_t>(cr - data) : limit;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

IniFile::IniFile(std::string_view text)
{
    std::string decoded;
    if (DecodeUtf16(text, decoded, m_encoding))
        Parse(std::move(decoded));
    else
        Parse(std::string(text));
}

IniFile IniFile::Adopt(std::string&& text)
{
    IniFile file;
    std::string decoded;
    if (DecodeUtf16(text, decoded, file.m_encoding))
        file.Parse(std::move(decoded));
    else
        file.Parse(std::move(text));
    return file;
}

// Finds the header lines (a line whose first character after blanks is
// '[', the same lines ClassifyIniLine takes for headers) by looking for
// '[' alone: key lines are never visited, which keeps a file of many
// sections cheap to load.
void IniFile::ScanHeaders(std::string_view text, std::size_t from,
                          const std::function<bool(std::size_t lineStart, std::string_view name)>& found)
{
    const char* data = text.data();
    const std::size_t size = text.size();
    std::size_t pos = from;
    while (pos < size) {
        const char* bracket = static_cast<const char*>(std::memchr(data + pos, '[', size - pos));
        if (!bracket)
            return;
        const std::size_t at = static_cast<std::size_t>(bracket - data);
        std::size_t lineStart = at;
        while (lineStart > from && IsBlank(data[lineStart - 1]))
            --lineStart;
        if (lineStart > from && data[lineStart - 1] != '\n' && data[lineStart - 1] != '\r') {
            pos = at + 1;
            continue;
        }
        const std::size_t lineEnd = LineEndAt(text, at);
        std::string_view rest = text.substr(at + 1, lineEnd - at - 1);
        const std::size_t close = rest.find(']');
        if (!found(lineStart, TrimBlanks(close == std::string_view::npos ? rest : rest.substr(0, close))))
            return;
        pos = lineEnd;
    }
}

std::optional<std::pair<std::size_t, std::size_t>> IniFile::FindSectionBytes(std::string_view text,
                                                                            std::string_view section)
{
    const std::size_t from = text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
    section = TrimBlanks(section);
    std::optional<std::pair<std::size_t, std::size_t>> bytes;
    ScanHeaders(text, from, [&](std::size_t lineStart, std::string_view name) {
        if (bytes) {
            bytes->second = lineStart;
            return false;
        }
        if (name.size() == section.size() && EqualNoCase(name, section))
            bytes.emplace(lineStart, text.size());
        return true;
    });
    return bytes;
}

LineEnd IniFile::FirstLineEnd(std::string_view text)
{
    const std::size_t from = text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
    const std::size_t end = LineEndAt(text, from);
    if (end >= text.size())
        return LineEnd::None;
    if (text[end] == '\n')
        return LineEnd::Lf;
    return end + 1 < text.size() && text[end + 1] == '\n' ? LineEnd::CrLf : LineEnd::Cr;
}

void IniFile::Parse(std::string&& text)
{
    if (std::string_view(text).substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        m_bom = std::string(kUtf8Bom);
        m_bodyBegin = kUtf8Bom.size();
    }
    auto source = std::make_shared<std::string>(std::move(text));
    m_source = source;
    const std::string_view all(*source);
    const char* data = all.data();
    const std::size_t size = all.size();

    ScanHeaders(all, m_bodyBegin, [&](std::size_t lineStart, std::string_view name) {
        if (!m_sections.empty())
            m_sections.back().end = lineStart;
        Section section;
        section.begin = lineStart;
        section.end = size;
        section.nameOffset = static_cast<std::uint32_t>(name.data() - (data + lineStart));
        section.nameLength = static_cast<std::uint32_t>(name.size());
        m_sections.push_back(section);
        return true;
    });
    m_live = m_sections.size();
    const std::size_t preambleEnd = m_sections.empty() ? size : m_sections.front().begin;
    ForEachLine(all.substr(m_bodyBegin, preambleEnd - m_bodyBegin), [this](std::string_view line, LineEnd end) {
        m_preamble.push_back({std::string(line), end, false});
        return true;
    });
    Reindex();

    // New lines end as the file's first line with an end does.
    if (const LineEnd end = FirstLineEnd(all); end != LineEnd::None)
        m_newLineEnd = end;
}

std::string_view IniFile::SourceOf(const Section& section) const
{
    return std::string_view(*m_source).substr(section.begin, section.end - section.begin);
}

std::string_view IniFile::SectionName(const Section& section) const
{
    if (section.edited >= 0)
        return m_edited[static_cast<std::size_t>(section.edited)].name;
    return std::string_view(*m_source).substr(section.begin + section.nameOffset, section.nameLength);
}

std::uint64_t IniFile::HashName(std::string_view name)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(LowerAscii(c));
        hash *= 1099511628211ull;
    }
    // Names that differ in their last characters spread over every slot.
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdull;
    hash ^= hash >> 33;
    return hash;
}

// The slot that holds the name's section, or the free slot where it would go.
std::size_t IniFile::SlotOf(std::string_view name, std::uint64_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    const auto check = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t slot = static_cast<std::size_t>(hash) & mask;; slot = (slot + 1) & mask) {
        const Slot& s = m_slots[slot];
        if (s.number == kNoSection || (s.hash == check && EqualNoCase(SectionName(m_sections[s.number]), name)))
            return slot;
    }
}

// Enters a section unless an earlier one of its name is live; a name whose
// sections were all removed goes to the new one.
void IniFile::IndexSection(std::uint32_t number)
{
    if ((m_sections.size() + 1) * 2 > m_slots.size()) {
        Reindex();
        return;
    }
    const std::string_view name = SectionName(m_sections[number]);
    const std::uint64_t hash = HashName(name);
    Slot& slot = m_slots[SlotOf(name, hash)];
    m_sections[number].repeated = slot.number != kNoSection && !m_sections[slot.number].removed;
    if (!m_sections[number].repeated)
        slot = {number, static_cast<std::uint32_t>(hash >> 32)};
}

void IniFile::Reindex()
{
    std::size_t capacity = 16;
    while (capacity < m_sections.size() * 2 + 2)
        capacity *= 2;
    m_slots.assign(capacity, Slot());
    for (std::uint32_t number = 0; number < m_sections.size(); ++number) {
        if (m_sections[number].removed)
            continue;
        const std::string_view name = SectionName(m_sections[number]);
        const std::uint64_t hash = HashName(name);
        Slot& slot = m_slots[SlotOf(name, hash)];
        m_sections[number].repeated = slot.number != kNoSection;
        if (slot.number == kNoSection)
            slot = {number, static_cast<std::uint32_t>(hash >> 32)};
    }
}

const IniFile::Section* IniFile::FindSection(std::string_view section) const
{
    if (m_slots.empty())
        return nullptr;
    section = TrimBlanks(section);
    const std::uint32_t number = m_slots[SlotOf(section, HashName(section))].number;
    if (number == kNoSection || m_sections[number].removed)
        return nullptr;
    return &m_sections[number];
}

IniFile::Section* IniFile::FindSection(std::string_view section)
{
    return const_cast<Section*>(std::as_const(*this).FindSection(section));
}

std::optional<std::string_view> IniFile::FindKeyLine(const Section& section, std::string_view key) const
{
    std::optional<std::string_view> found;
    ForEachKeyLine(SourceOf(section), [&](std::string_view line, const IniLineKind& kind) {
        if (EqualNoCase(kind.name, key))
            found = line;
        return !found;
    });
    return found;
}

// Gives a section lines of its own, for an edit.
IniFile::EditedSection& IniFile::Edit(Section& section)
{
    if (section.edited >= 0)
        return m_edited[static_cast<std::size_t>(section.edited)];
    EditedSection edited;
    edited.name = std::string(SectionName(section));
    ForEachLine(SourceOf(section), [&edited](std::string_view line, LineEnd end) {
        const bool isKey = !edited.lines.empty() && ClassifyIniLine(line, true).kind == IniLineKind::Key;
        edited.lines.push_back({std::string(line), end, isKey});
        return true;
    });
    edited.Reindex();
    m_edited.push_back(std::move(edited));
    section.edited = static_cast<std::int32_t>(m_edited.size() - 1);
    return m_edited.back();
}

std::string IniFile::Text() const
{
    std::size_t size = m_bom.size();
    auto measure = [&size](const std::vector<Line>& lines) {
        for (const Line& line : lines)
            size += line.text.size() + 2;
    };
    measure(m_preamble);
    for (const Section& section : m_sections) {
        if (section.removed)
            continue;
        if (section.edited >= 0)
            measure(m_edited[static_cast<std::size_t>(section.edited)].lines);
        else
            size += section.end - section.begin;
    }
    std::string text;
    text.reserve(size);
    text += m_bom;
    auto append = [&text](const std::vector<Line>& lines) {
        for (const Line& line : lines) {
            text += line.text;
            text += LineEndText(line.end);
        }
    };
    append(m_preamble);
    for (const Section& section : m_sections) {
        if (section.removed)
            continue;
        if (section.edited >= 0)
            append(m_edited[static_cast<std::size_t>(section.edited)].lines);
        else
            text += SourceOf(section);
    }
    if (m_encoding == Encoding::Utf16Le)
        return "\xFF\xFE" + Utf8ToUtf16Le(text);
    if (m_encoding == Encoding::Utf16Be)
        return "\xFE\xFF" + SwapBytePairs(Utf8ToUtf16Le(text));
    return text;
}

std::optional<std::string_view> IniFile::Value(std::string_view section,
                                               std::string_view key) const
{
    const Section* s = FindSection(section);
    if (!s)
        return std::nullopt;
    key = TrimBlanks(key);
    if (s->edited < 0) {
        const auto line = FindKeyLine(*s, key);
        if (!line)
            return std::nullopt;
        return ClassifyIniLine(*line, true).value;
    }
    const EditedSection& e = m_edited[static_cast<std::size_t>(s->edited)];
    auto it = e.keys.find(LowerAscii(key));
    if (it == e.keys.end())
        return std::nullopt;
    return ClassifyIniLine(e.lines[it->second].text, true).value;
}

bool IniFile::HasSection(std::string_view section) const
{
    return FindSection(section) != nullptr;
}

std::optional<std::pair<std::size_t, std::size_t>> IniFile::SourceRange(std::string_view section) const
{
    if (m_encoding != Encoding::Bytes || !m_edited.empty() || m_live != m_sections.size() || m_modified)
        return std::nullopt;
    const Section* s = FindSection(section);
    if (!s)
        return std::nullopt;
    return std::make_pair(s->begin, s->end);
}

std::optional<std::string_view> IniFile::SectionNamed(std::string_view section) const
{
    const Section* s = FindSection(section);
    return s ? std::optional<std::string_view>(SectionName(*s)) : std::nullopt;
}

std::vector<std::string> IniFile::SectionNames() const
{
    std::vector<std::string> names;
    names.reserve(m_live);
    for (const Section& section : m_sections) {
        // Only the first section of a name is listed.
        if (!section.removed && !section.repeated)
            names.emplace_back(SectionName(section));
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> IniFile::Entries(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> entries;
    const Section* s = FindSection(section);
    if (!s)
        return entries;
    std::vector<EntryView> views;
    EntriesOf(*s, views);
    entries.reserve(views.size());
    for (const auto& [key, value] : views)
        entries.emplace_back(std::string(key), std::string(value));
    return entries;
}

void IniFile::EntriesOf(const Section& section, std::vector<EntryView>& entries) const
{
    entries.clear();
    if (section.edited >= 0) {
        const EditedSection& e = m_edited[static_cast<std::size_t>(section.edited)];
        for (std::size_t i = 1; i < e.lines.size(); ++i) {
            if (!e.lines[i].isKey)
                continue;
            const IniLineKind kind = ClassifyIniLine(e.lines[i].text, true);
            const auto it = e.keys.find(LowerAscii(kind.name));
            if (it != e.keys.end() && it->second == i)
                entries.emplace_back(kind.name, kind.value);
        }
        return;
    }
    // Each name once, the first line of it: a few keys are compared one by
    // one, many through a set.
    std::unordered_set<std::string> seen;
    constexpr std::size_t kFewKeys = 24;
    ForEachKeyLine(SourceOf(section), [&](std::string_view, const IniLineKind& kind) {
        bool repeated = false;
        if (entries.size() < kFewKeys) {
            for (const auto& entry : entries)
                repeated = repeated || (entry.first.size() == kind.name.size() && EqualNoCase(entry.first, kind.name));
        } else {
            if (seen.empty()) {
                for (const auto& entry : entries)
                    seen.insert(LowerAscii(entry.first));
            }
            repeated = !seen.insert(LowerAscii(kind.name)).second;
        }
        if (!repeated)
            entries.emplace_back(kind.name, kind.value);
        return true;
    });
}

void IniFile::ForEachSection(
    const std::function<void(std::string_view name, const std::vector<EntryView>& entries)>& visit,
    const std::function<bool(std::string_view name)>& accepts) const
{
    std::vector<EntryView> entries;
    for (const Section& section : m_sections) {
        if (section.removed || section.repeated || (accepts && !accepts(SectionName(section))))
            continue;
        EntriesOf(section, entries);
        visit(SectionName(section), entries);
    }
}

void IniFile::ForEachSectionName(const std::function<void(std::string_view name)>& visit) const
{
    for (const Section& section : m_sections) {
        if (!section.removed && !section.repeated)
            visit(SectionName(section));
    }
}

std::vector<std::string> IniFile::KeyNames(std::string_view section) const
{
    std::vector<std::string> names;
    for (auto& entry : Entries(section))
        names.push_back(std::move(entry.first));
    return names;
}

bool IniFile::IsValidSectionName(std::string_view section)
{
    return section.find_first_of("]\r\n") == std::string_view::npos;
}

bool IniFile::IsValidKeyName(std::string_view key)
{
    key = TrimBlanks(key);
    return !key.empty() && key.front() != '[' && key.front() != ';' &&
           key.find_first_of("=\r\n") == std::string_view::npos;
}

std::string IniFile::SanitizeValue(std::string_view value)
{
    std::string clean(value);
    std::replace_if(
        clean.begin(), clean.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return clean;
}

std::string IniFile::QuoteForReadBack(std::string_view value)
{
    if (TrimBlanks(value) == value && RemoveOuterQuotes(value) == value)
        return std::string(value);
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted.push_back('"');
    quoted.append(value);
    quoted.push_back('"');
    return quoted;
}

void IniFile::EditedSection::Reindex()
{
    keys.clear();
    lastKey = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (!lines[i].isKey)
            continue;
        keys.try_emplace(LowerAscii(ClassifyIniLine(lines[i].text, true).name), i);
        lastKey = i;
    }
}

// A line that gets a successor must end first.
void IniFile::EndLastLine()
{
    for (auto it = m_sections.rbegin(); it != m_sections.rend(); ++it) {
        if (it->removed)
            continue;
        if (it->edited < 0) {
            const std::string_view text = SourceOf(*it);
            if (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
                return;
        }
        std::vector<Line>& lines = Edit(*it).lines;
        if (lines.back().end == LineEnd::None)
            lines.back().end = m_newLineEnd;
        return;
    }
    if (!m_preamble.empty() && m_preamble.back().end == LineEnd::None)
        m_preamble.back().end = m_newLineEnd;
}

bool IniFile::Write(std::string_view section, std::string_view key, std::string_view value)
{
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    if (!IsValidSectionName(section) || !IsValidKeyName(key))
        return false;
    std::string clean = SanitizeValue(value);

    Section* s = FindSection(section);
    if (!s) {
        EndLastLine();
        EditedSection added;
        added.name = std::string(section);
        added.lines.push_back({"[" + added.name + "]", m_newLineEnd, false});
        added.lines.push_back({std::string(key) + "=" + clean, m_newLineEnd, true});
        added.lastKey = 1;
        added.keys.emplace(LowerAscii(key), 1);
        m_edited.push_back(std::move(added));
        Section entry;
        entry.edited = static_cast<std::int32_t>(m_edited.size() - 1);
        m_sections.push_back(entry);
        ++m_live;
        IndexSection(static_cast<std::uint32_t>(m_sections.size() - 1));
        m_modified = true;
        return true;
    }

    // The same value again changes nothing and copies nothing.
    const auto unchanged = [&clean](std::string_view line) {
        std::size_t pos = line.find('=') + 1;
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        return line.substr(pos) == clean;
    };
    if (s->edited < 0) {
        const auto line = FindKeyLine(*s, key);
        if (line && unchanged(*line))
            return true;
    }
    EditedSection& e = Edit(*s);
    auto it = e.keys.find(LowerAscii(key));
    if (it != e.keys.end()) {
        Line& line = e.lines[it->second];
        if (!unchanged(line.text)) {
            std::size_t pos = line.text.find('=') + 1;
            while (pos < line.text.size() && IsBlank(line.text[pos]))
                ++pos;
            line.text.replace(pos, std::string::npos, clean);
            m_modified = true;
        }
        return true;
    }

    std::size_t at = e.lastKey + 1;
    if (e.lines[at - 1].end == LineEnd::None)
        e.lines[at - 1].end = m_newLineEnd;
    e.lines.insert(e.lines.begin() + static_cast<std::ptrdiff_t>(at),
                   Line{std::string(key) + "=" + clean, m_newLineEnd, true});
    if (at != e.lines.size() - 1) {
        for (auto& entry : e.keys) {
            if (entry.second >= at)
                ++entry.second;
        }
    }
    e.keys.emplace(LowerAscii(key), at);
    e.lastKey = at;
    m_modified = true;
    return true;
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key)
{
    section = TrimBlanks(section);
    if (!IsValidSectionName(section) || !IsValidKeyName(key))
        return false;
    Section* s = FindSection(section);
    if (!s)
        return true;
    key = TrimBlanks(key);
    if (s->edited < 0 && !FindKeyLine(*s, key))
        return true;
    EditedSection& e = Edit(*s);
    std::string lower = LowerAscii(key);
    if (e.keys.find(lower) == e.keys.end())
        return true;
    auto removed = std::remove_if(e.lines.begin() + 1, e.lines.end(), [&lower](const Line& l) {
        return l.isKey && EqualNoCase(ClassifyIniLine(l.text, true).name, lower);
    });
    e.lines.erase(removed, e.lines.end());
    e.Reindex();
    m_modified = true;
    return true;
}

bool IniFile::DeleteSection(std::string_view section)
{
    section = TrimBlanks(section);
    if (!IsValidSectionName(section))
        return false;
    if (!FindSection(section))
        return true;
    for (Section& s : m_sections) {
        if (!s.removed && EqualNoCase(SectionName(s), section)) {
            s.removed = true;
            --m_live;
        }
    }
    m_modified = true;
    return true;
}

} // namespace dm

#include "common/inifile.h"

#include "common/ansitext.h"
#include "common/text.h"

#include <algorithm>

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

// Fills the line table and the indexes in one parse.
class IniFile::Builder : public IniHandler {
public:
    explicit Builder(IniFile& file) : m_file(file) {}

    bool OnSection(std::string_view name, const IniLine& line) override
    {
        Section section;
        section.name = std::string(name);
        section.lines.push_back({std::string(line.text), line.end, false});
        m_file.m_sections.push_back(std::move(section));
        m_file.m_sectionIndex.try_emplace(LowerAscii(name), m_file.m_sections.size() - 1);
        return true;
    }
    bool OnKey(std::string_view key, std::string_view, const IniLine& line) override
    {
        Section& section = m_file.m_sections.back();
        section.lines.push_back({std::string(line.text), line.end, true});
        section.lastKey = section.lines.size() - 1;
        section.keys.try_emplace(LowerAscii(key), section.lastKey);
        return true;
    }
    bool OnOther(const IniLine& line) override
    {
        Line copy{std::string(line.text), line.end, false};
        if (m_file.m_sections.empty())
            m_file.m_preamble.push_back(std::move(copy));
        else
            m_file.m_sections.back().lines.push_back(std::move(copy));
        return true;
    }

private:
    IniFile& m_file;
};

IniFile::IniFile(std::string_view text)
{
    std::string decoded;
    if (DecodeUtf16(text, decoded, m_encoding))
        text = decoded;
    // The parser skips a leading U+FEFF; it is kept to be written back, in
    // a UTF-16 file (a second byte-order mark) as in a UTF-8 one.
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        m_bom = std::string(kUtf8Bom);
    Builder builder(*this);
    ParseIni(text, builder);
    // New lines end as the file's lines do.
    const auto firstEnd = [](const std::vector<Line>& lines) {
        for (const Line& line : lines) {
            if (line.end != LineEnd::None)
                return line.end;
        }
        return LineEnd::None;
    };
    LineEnd end = firstEnd(m_preamble);
    for (std::size_t i = 0; end == LineEnd::None && i < m_sections.size(); ++i)
        end = firstEnd(m_sections[i].lines);
    if (end != LineEnd::None)
        m_newLineEnd = end;
}

std::string IniFile::Text() const
{
    std::size_t size = m_bom.size();
    auto measure = [&size](const std::vector<Line>& lines) {
        for (const Line& line : lines)
            size += line.text.size() + 2;
    };
    measure(m_preamble);
    for (const Section& section : m_sections)
        measure(section.lines);
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
    for (const Section& section : m_sections)
        append(section.lines);
    if (m_encoding == Encoding::Utf16Le)
        return "\xFF\xFE" + Utf8ToUtf16Le(text);
    if (m_encoding == Encoding::Utf16Be)
        return "\xFE\xFF" + SwapBytePairs(Utf8ToUtf16Le(text));
    return text;
}

const IniFile::Section* IniFile::FindSection(std::string_view section) const
{
    auto it = m_sectionIndex.find(LowerAscii(TrimBlanks(section)));
    return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
}

IniFile::Section* IniFile::FindSection(std::string_view section)
{
    return const_cast<Section*>(std::as_const(*this).FindSection(section));
}

std::optional<std::string_view> IniFile::Value(std::string_view section,
                                               std::string_view key) const
{
    const Section* s = FindSection(section);
    if (!s)
        return std::nullopt;
    auto it = s->keys.find(LowerAscii(TrimBlanks(key)));
    if (it == s->keys.end())
        return std::nullopt;
    return ClassifyIniLine(s->lines[it->second].text, true).value;
}

bool IniFile::HasSection(std::string_view section) const
{
    return FindSection(section) != nullptr;
}

std::vector<std::string> IniFile::SectionNames() const
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        // Only the first section of a name is listed.
        auto it = m_sectionIndex.find(LowerAscii(m_sections[i].name));
        if (it != m_sectionIndex.end() && it->second == i)
            names.push_back(m_sections[i].name);
    }
    return names;
}

std::vector<std::pair<std::string, std::string>> IniFile::Entries(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> entries;
    const Section* s = FindSection(section);
    if (!s)
        return entries;
    for (std::size_t i = 1; i < s->lines.size(); ++i) {
        if (!s->lines[i].isKey)
            continue;
        IniLineKind kind = ClassifyIniLine(s->lines[i].text, true);
        auto it = s->keys.find(LowerAscii(kind.name));
        if (it != s->keys.end() && it->second == i)
            entries.emplace_back(std::string(kind.name), std::string(kind.value));
    }
    return entries;
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

void IniFile::Section::Reindex()
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

void IniFile::ReindexSections()
{
    m_sectionIndex.clear();
    for (std::size_t i = 0; i < m_sections.size(); ++i)
        m_sectionIndex.try_emplace(LowerAscii(m_sections[i].name), i);
}

// A line that gets a successor must end first.
void IniFile::EndLastLine()
{
    std::vector<Line>* lines = m_sections.empty() ? &m_preamble : &m_sections.back().lines;
    if (!lines->empty() && lines->back().end == LineEnd::None)
        lines->back().end = m_newLineEnd;
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
        Section added;
        added.name = std::string(section);
        added.lines.push_back({"[" + added.name + "]", m_newLineEnd, false});
        added.lines.push_back({std::string(key) + "=" + clean, m_newLineEnd, true});
        added.lastKey = 1;
        added.keys.emplace(LowerAscii(key), 1);
        m_sections.push_back(std::move(added));
        m_sectionIndex.try_emplace(LowerAscii(section), m_sections.size() - 1);
        m_modified = true;
        return true;
    }

    auto it = s->keys.find(LowerAscii(key));
    if (it != s->keys.end()) {
        Line& line = s->lines[it->second];
        std::size_t pos = line.text.find('=') + 1;
        while (pos < line.text.size() && (line.text[pos] == ' ' || line.text[pos] == '\t'))
            ++pos;
        if (line.text.compare(pos, std::string::npos, clean) != 0) {
            line.text.replace(pos, std::string::npos, clean);
            m_modified = true;
        }
        return true;
    }

    std::size_t at = s->lastKey + 1;
    if (s->lines[at - 1].end == LineEnd::None)
        s->lines[at - 1].end = m_newLineEnd;
    s->lines.insert(s->lines.begin() + static_cast<std::ptrdiff_t>(at),
                    Line{std::string(key) + "=" + clean, m_newLineEnd, true});
    if (at != s->lines.size() - 1) {
        for (auto& entry : s->keys) {
            if (entry.second >= at)
                ++entry.second;
        }
    }
    s->keys.emplace(LowerAscii(key), at);
    s->lastKey = at;
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
    std::string lower = LowerAscii(TrimBlanks(key));
    if (s->keys.find(lower) == s->keys.end())
        return true;
    auto removed = std::remove_if(s->lines.begin() + 1, s->lines.end(), [&lower](const Line& l) {
        return l.isKey && EqualNoCase(ClassifyIniLine(l.text, true).name, lower);
    });
    s->lines.erase(removed, s->lines.end());
    s->Reindex();
    m_modified = true;
    return true;
}

bool IniFile::DeleteSection(std::string_view section)
{
    section = TrimBlanks(section);
    if (!IsValidSectionName(section))
        return false;
    auto removed = std::remove_if(m_sections.begin(), m_sections.end(),
                                  [section](const Section& s) { return EqualNoCase(s.name, section); });
    if (removed == m_sections.end())
        return true;
    m_sections.erase(removed, m_sections.end());
    ReindexSections();
    m_modified = true;
    return true;
}

} // namespace dm

#include "common/iniparser.h"

#include <climits>
#include <cstring>

namespace dm {

std::string_view LineEndText(LineEnd end)
{
    switch (end) {
    case LineEnd::CrLf: return "\r\n";
    case LineEnd::Lf: return "\n";
    case LineEnd::Cr: return "\r";
    case LineEnd::None: break;
    }
    return {};
}

static bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string_view RemoveOuterQuotes(std::string_view text)
{
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front())
        return text.substr(1, text.size() - 2);
    return text;
}

IniLineKind ClassifyIniLine(std::string_view line, bool inSection)
{
    IniLineKind result;
    std::string_view trimmed = TrimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return result;
    if (trimmed.front() == '[') {
        std::string_view rest = trimmed.substr(1);
        std::size_t close = rest.find(']');
        result.kind = IniLineKind::Section;
        result.name = TrimBlanks(close == std::string_view::npos ? rest : rest.substr(0, close));
        return result;
    }
    if (!inSection)
        return result;
    std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos)
        return result;
    std::string_view key = TrimBlanks(trimmed.substr(0, eq));
    if (key.empty())
        return result;
    result.kind = IniLineKind::Key;
    result.name = key;
    result.value = RemoveOuterQuotes(TrimBlanks(trimmed.substr(eq + 1)));
    return result;
}

void ParseIni(std::string_view text, IniHandler& handler)
{
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        text.remove_prefix(kUtf8Bom.size());
    const char* data = text.data();
    const std::size_t size = text.size();
    std::size_t pos = 0;
    std::size_t number = 0;
    bool inSection = false;
    while (pos < size) {
        // The end of the line: the first CR or LF. memchr for LF is fast; a
        // CR can only come earlier in files with CR or CRLF ends.
        const char* lf = static_cast<const char*>(std::memchr(data + pos, '\n', size - pos));
        std::size_t lineEnd = lf ? static_cast<std::size_t>(lf - data) : size;
        const char* cr = static_cast<const char*>(std::memchr(data + pos, '\r', lineEnd - pos));
        IniLine line;
        line.number = number++;
        std::size_t next;
        if (cr) {
            lineEnd = static_cast<std::size_t>(cr - data);
            if (lineEnd + 1 < size && data[lineEnd + 1] == '\n') {
                line.end = LineEnd::CrLf;
                next = lineEnd + 2;
            } else {
                line.end = LineEnd::Cr;
                next = lineEnd + 1;
            }
        } else if (lf) {
            line.end = LineEnd::Lf;
            next = lineEnd + 1;
        } else {
            next = size;
        }
        line.text = std::string_view(data + pos, lineEnd - pos);
        pos = next;

        IniLineKind kind = ClassifyIniLine(line.text, inSection);
        bool go;
        switch (kind.kind) {
        case IniLineKind::Section:
            inSection = true;
            go = handler.OnSection(kind.name, line);
            break;
        case IniLineKind::Key: go = handler.OnKey(kind.name, kind.value, line); break;
        default: go = handler.OnOther(line); break;
        }
        if (!go)
            return;
    }
}

static char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool NamesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    }
    return true;
}

std::string ToLowerName(std::string_view name)
{
    std::string lower(name);
    for (char& c : lower)
        c = LowerAscii(c);
    return lower;
}

// Parses the atoi form; returns the magnitude (saturated at 2^63) and the sign.
// low32 receives the magnitude modulo 2^32.
static unsigned long long ParseAtoiForm(std::string_view text, bool& negative, bool& overflow,
                                        std::uint32_t* low32 = nullptr)
{
    std::uint32_t low = 0;
    std::size_t i = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (i < text.size() && isSpace(text[i]))
        ++i;
    negative = false;
    overflow = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        low = low * 10u + static_cast<std::uint32_t>(text[i] - '0');
        if (value > (ULLONG_MAX - 9) / 10) {
            overflow = true;
            continue;
        }
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    if (low32)
        *low32 = low;
    return value;
}

int AtoiValue(std::string_view text)
{
    bool negative;
    bool overflow;
    unsigned long long magnitude = ParseAtoiForm(text, negative, overflow);
    if (negative) {
        if (overflow || magnitude > static_cast<unsigned long long>(INT_MAX) + 1)
            return INT_MIN;
        return static_cast<int>(-static_cast<long long>(magnitude));
    }
    if (overflow || magnitude > static_cast<unsigned long long>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(magnitude);
}

std::uint32_t AtoiWrapped32(std::string_view text)
{
    bool negative;
    bool overflow;
    std::uint32_t low = 0;
    ParseAtoiForm(text, negative, overflow, &low);
    return negative ? static_cast<std::uint32_t>(0u - low) : low;
}

} // namespace dm

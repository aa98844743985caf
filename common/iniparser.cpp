#include "common/iniparser.h"

#include "common/text.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dm {

namespace {

// The first CR or LF in [p, end), or end: sixteen bytes a step where the
// processor can compare them at once.
const char* FindLineEnd(const char* p, const char* end)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\r' || *p == '\n')
            return p;
    }
    return end;
}

} // namespace

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
        // The end of the line: the first CR or LF.
        const std::size_t lineEnd = static_cast<std::size_t>(FindLineEnd(data + pos, data + size) - data);
        IniLine line;
        line.number = number++;
        std::size_t next;
        if (lineEnd == size) {
            next = size;
        } else if (data[lineEnd] == '\n') {
            line.end = LineEnd::Lf;
            next = lineEnd + 1;
        } else if (lineEnd + 1 < size && data[lineEnd + 1] == '\n') {
            line.end = LineEnd::CrLf;
            next = lineEnd + 2;
        } else {
            line.end = LineEnd::Cr;
            next = lineEnd + 1;
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

} // namespace dm

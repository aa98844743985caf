#include "common/csvtext.h"
#include "common/ansitext.h"

namespace dm {

namespace {

bool IsAscii(std::string_view text)
{
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

void AppendCsvField(std::string& out, std::string_view field, std::string_view emptyField)
{
    // Bytes of the Windows code page become their letters, as every window shows them.
    if (field.empty())
        out += emptyField;
    else if (IsAscii(field))
        out += field; // its own UTF-8: no copy between
    else
        out += AnsiToUtf8(field);
    out += ',';
}

void AppendCsvLine(std::string& out, const CsvFields& fields, std::string_view lineEnd,
                   std::string_view emptyField)
{
    for (const std::string& field : fields)
        AppendCsvField(out, field, emptyField);
    out += lineEnd;
}

std::string CsvLine(const CsvFields& fields, std::string_view lineEnd, std::string_view emptyField)
{
    std::string line;
    AppendCsvLine(line, fields, lineEnd, emptyField);
    return line;
}

std::string QuotedCsvField(std::string_view field)
{
    // Bytes of the Windows code page become their letters, as in AppendCsvLine.
    const std::string converted = AnsiToUtf8(field);
    const std::string_view text = converted;
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return converted;
    // Each piece up to and including a double quote is followed by one more.
    std::string quoted = "\"";
    std::size_t start = 0;
    for (std::size_t quote; (quote = text.find('"', start)) != std::string_view::npos; start = quote + 1) {
        quoted.append(text.substr(start, quote + 1 - start));
        quoted += '"';
    }
    quoted.append(text.substr(start));
    quoted += '"';
    return quoted;
}

std::string_view CutCsvField(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    // Step back over continuation bytes so that no character is split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace dm

#include "platform/registry/regeditformat.h"

#include "common/ansitext.h"
#include "common/text.h"

#include <cctype>
#include <cstdio>
#include <utility>

namespace dm::regedit {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads a quoted text starting at s[0] == '"'; rest gets what follows the
// closing quote. Only \\ and \" are escapes; any other backslash is kept.
bool ReadQuoted(std::string_view s, std::string& text, std::string_view& rest)
{
    text.clear();
    for (std::size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            rest = s.substr(i + 1);
            return true;
        }
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            text += s[++i];
            continue;
        }
        text += c;
    }
    return false;
}

std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// "01,02, 0a,\" lists (continuations already removed).
bool ReadBytes(std::string_view s, std::string& bytes)
{
    bytes.clear();
    s = TrimBlanks(s);
    if (s.empty())
        return true;
    while (true) {
        s = TrimLeadingBlanks(s);
        if (s.size() < 2)
            return false;
        int high = HexDigit(s[0]), low = HexDigit(s[1]);
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high * 16 + low);
        s = TrimLeadingBlanks(s.substr(2));
        if (s.empty())
            return true;
        if (s[0] != ',')
            return false;
        s.remove_prefix(1);
        // A trailing comma before the end is tolerated ("00,").
        if (TrimLeadingBlanks(s).empty())
            return true;
    }
}

bool NeedsHexForm(std::string_view text)
{
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '\0')
            return true;
    }
    return false;
}

std::string FormatBytes(std::string prefix, std::string_view bytes, std::string_view eol)
{
    static const char digits[] = "0123456789abcdef";
    std::string out = std::move(prefix);
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<unsigned char>(bytes[i]);
        out += digits[b >> 4];
        out += digits[b & 15];
        if (i + 1 == bytes.size())
            break;
        out += ',';
        if (out.size() - lineStart > 74) {
            out += '\\';
            out += eol;
            lineStart = out.size();
            out += "  ";
        }
    }
    return out;
}

} // namespace

bool IsValidValueName(std::string_view name)
{
    return !NeedsHexForm(name);
}

bool IsValidKeyComponent(std::string_view name)
{
    if (name.empty() || name.find('\\') != std::string_view::npos)
        return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return true;
}

bool ParseKeyHeader(std::string_view line, KeyHeader& header)
{
    line = TrimBlanks(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return false;
    std::string_view inner = line.substr(1, line.size() - 2);
    header = KeyHeader();
    if (!inner.empty() && inner.front() == '-') {
        header.deletion = true;
        inner.remove_prefix(1);
    }
    std::vector<std::string> parts;
    while (true) {
        auto pos = inner.find('\\');
        std::string_view part = inner.substr(0, pos);
        if (!part.empty())
            parts.emplace_back(part);
        if (pos == std::string_view::npos)
            break;
        inner.remove_prefix(pos + 1);
    }
    if (parts.empty())
        return false;
    for (const auto& part : parts) {
        if (!IsValidKeyComponent(part))
            return false;
    }
    header.localMachine = EqualNoCase(parts[0], "HKEY_LOCAL_MACHINE") || EqualNoCase(parts[0], "HKLM");
    header.path.assign(parts.begin() + 1, parts.end());
    return true;
}

std::string FormatKeyHeader(const std::vector<std::string>& path)
{
    std::string out = "[HKEY_LOCAL_MACHINE";
    for (const auto& part : path) {
        out += '\\';
        out += part;
    }
    out += ']';
    return out;
}

ValueLineKind ParseValueLine(std::string_view line, RegValue& value, RegTextEncoding encoding)
{
    line = TrimBlanks(line);
    std::string name;
    std::string_view rest;
    if (!line.empty() && line[0] == '@') {
        rest = line.substr(1);
    } else if (!line.empty() && line[0] == '"') {
        if (!ReadQuoted(line, name, rest))
            return ValueLineKind::NotAValue;
    } else {
        return ValueLineKind::NotAValue;
    }
    rest = TrimLeadingBlanks(rest);
    if (rest.empty() || rest[0] != '=')
        return ValueLineKind::NotAValue;
    rest = TrimLeadingBlanks(rest.substr(1));

    value = RegValue();
    value.name = std::move(name);
    if (rest == "-")
        return ValueLineKind::Deletion;
    if (!rest.empty() && rest[0] == '"') {
        std::string text;
        std::string_view after;
        if (!ReadQuoted(rest, text, after) || !TrimLeadingBlanks(after).empty())
            return ValueLineKind::NotAValue;
        value.type = RegSz;
        value.data = std::move(text);
        return ValueLineKind::Value;
    }
    if (StartsWithNoCase(rest, "dword:")) {
        std::string_view digits = rest.substr(6);
        if (digits.empty() || digits.size() > 8)
            return ValueLineKind::NotAValue;
        std::uint32_t number = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0)
                return ValueLineKind::NotAValue;
            number = number * 16 + static_cast<std::uint32_t>(d);
        }
        value = RegValue::Dword(std::move(value.name), number);
        return ValueLineKind::Value;
    }
    if (!StartsWithNoCase(rest, "hex"))
        return ValueLineKind::NotAValue;
    rest.remove_prefix(3);
    unsigned long type = RegBinary;
    if (!rest.empty() && rest[0] == '(') {
        auto close = rest.find(')');
        if (close == std::string_view::npos || close == 1 || close > 9)
            return ValueLineKind::NotAValue;
        type = 0;
        for (char c : rest.substr(1, close - 1)) {
            int d = HexDigit(c);
            if (d < 0)
                return ValueLineKind::NotAValue;
            type = type * 16 + static_cast<unsigned long>(d);
        }
        rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest[0] != ':')
        return ValueLineKind::NotAValue;
    std::string bytes;
    if (!ReadBytes(rest.substr(1), bytes))
        return ValueLineKind::NotAValue;
    if (type == RegSz || type == RegExpandSz || type == RegMultiSz) {
        if (encoding == RegTextEncoding::Utf16)
            bytes = Utf16LeToUtf8(bytes);
        else if (encoding == RegTextEncoding::Ansi)
            bytes = AnsiToUtf8(bytes);
    }
    // Strings in byte form carry their terminating zero; the model does not.
    if ((type == RegSz || type == RegExpandSz) && !bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    value.type = type;
    value.data = std::move(bytes);
    return ValueLineKind::Value;
}

std::string FormatValueLine(const RegValue& value, std::string_view eol, RegTextEncoding encoding)
{
    if (encoding == RegTextEncoding::Utf16 &&
        (value.type == RegSz || value.type == RegExpandSz || value.type == RegMultiSz)) {
        const bool quoted = value.type == RegSz && !NeedsHexForm(value.data);
        if (!quoted) {
            // Strings end with their zero, which the stored form leaves out.
            const std::string text = value.type == RegMultiSz ? value.data : value.data + '\0';
            char prefix[32];
            std::snprintf(prefix, sizeof prefix, "hex(%lx):", value.type);
            return FormatBytes((value.name.empty() ? std::string("@") : Quote(value.name)) + "=" + prefix,
                               Utf8ToUtf16Le(text), eol);
        }
    }
    std::string out = value.name.empty() ? std::string("@") : Quote(value.name);
    out += '=';
    switch (value.type) {
    case RegSz:
        if (!NeedsHexForm(value.data))
            return out + Quote(value.data);
        return FormatBytes(out + "hex(1):", value.data + '\0', eol);
    case RegExpandSz:
        return FormatBytes(out + "hex(2):", value.data + '\0', eol);
    case RegDword:
        if (value.data.size() == 4) {
            std::uint32_t number = 0;
            value.AsDword(number);
            char digits[16];
            std::snprintf(digits, sizeof digits, "dword:%08x", number);
            return out + digits;
        }
        break;
    case RegBinary:
        return FormatBytes(out + "hex:", value.data, eol);
    default:
        break;
    }
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "hex(%lx):", value.type);
    return FormatBytes(out + prefix, value.data, eol);
}

bool ContinuesOnNextLine(std::string_view line)
{
    line = TrimBlanks(line);
    if (line.empty() || line.back() != '\\')
        return false;
    // Only byte lists continue; a string may well end in a backslash.
    std::string_view rest;
    if (line[0] == '"') {
        std::string name;
        if (!ReadQuoted(line, name, rest))
            return false;
    } else if (line[0] == '@') {
        rest = line.substr(1);
    } else {
        return false;
    }
    rest = TrimLeadingBlanks(rest);
    return !rest.empty() && rest[0] == '=' && StartsWithNoCase(TrimLeadingBlanks(rest.substr(1)), "hex");
}

bool DecodeRegFile(std::string_view bytes, std::string& text, RegTextEncoding& encoding,
                   std::string& error)
{
    const auto startsWith = [&bytes](std::string_view mark) {
        return bytes.size() >= mark.size() && bytes.substr(0, mark.size()) == mark;
    };
    bool ansi = false;
    if (startsWith("\xFF\xFE")) {
        text = Utf16LeToUtf8(bytes.substr(2));
    } else if (startsWith("\xFE\xFF")) {
        std::string swapped(bytes.substr(2));
        for (std::size_t i = 0; i + 1 < swapped.size(); i += 2)
            std::swap(swapped[i], swapped[i + 1]);
        text = Utf16LeToUtf8(swapped);
    } else if (startsWith("\xEF\xBB\xBF")) {
        text = std::string(bytes.substr(3));
    } else {
        text = std::string(bytes);
        ansi = true;
    }
    // The signature is the first line that is not blank.
    std::string_view rest = text, first;
    while (!rest.empty() && first.empty()) {
        const auto end = rest.find('\n');
        first = TrimBlanks(rest.substr(0, end));
        if (!first.empty() && first.back() == '\r')
            first = TrimTrailingBlanks(first.substr(0, first.size() - 1));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    if (first == Regedit4Signature) {
        encoding = RegTextEncoding::Ansi;
    } else if (first == Regedit5Signature) {
        encoding = RegTextEncoding::Utf16;
    } else {
        error = std::string("not a registry file: it begins with neither \"") +
                std::string(Regedit4Signature) + "\" nor \"" + std::string(Regedit5Signature) + "\"";
        if (ansi && bytes.find('\0') != std::string_view::npos)
            error += " (it holds zero bytes: UTF-16 without a byte-order mark cannot be told apart)";
        return false;
    }
    if (ansi)
        text = AnsiToUtf8(text);
    return true;
}

bool IsDenyRemoteMark(std::string_view line)
{
    line = TrimBlanks(line);
    if (line.empty() || line[0] != ';')
        return false;
    return EqualNoCase(TrimLeadingBlanks(line.substr(1)), "deny-remote");
}

} // namespace dm::regedit

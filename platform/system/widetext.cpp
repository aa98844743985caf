#include "platform/system/widetext.h"

#include "common/ansitext.h"

#include <algorithm>
#include <cstdint>

namespace dm {

std::u16string ToWide(std::string_view text)
{
    // Read as every window and file reads stored text: valid UTF-8 as it is,
    // any other byte as the letter of the Windows code page.
    const std::string bytes = Utf8ToUtf16Le(text);
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t k = 0; k < out.size(); ++k)
        out[k] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                       (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
    return out;
}

static void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string FromWide(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD; // a lone surrogate
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string FromWide(const char16_t* text)
{
    if (text == nullptr)
        return {};
    return FromWide(std::u16string_view(text, WideLength(text)));
}

std::size_t WideLength(const char16_t* text)
{
    std::size_t n = 0;
    if (text != nullptr)
        while (text[n] != 0)
            ++n;
    return n;
}

void CopyToWideField(char16_t* field, std::size_t capacity, std::string_view text)
{
    if (capacity == 0)
        return;
    const std::u16string wide = ToWide(text);
    std::size_t n = std::min(wide.size(), capacity - 1);
    if (n > 0 && n < wide.size() && wide[n - 1] >= 0xD800 && wide[n - 1] <= 0xDBFF)
        --n; // never leave half a surrogate pair
    std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(n), field);
    field[n] = 0;
}

void CopyToField(char* field, std::size_t capacity, std::string_view text)
{
    if (capacity == 0)
        return;
    const std::size_t n = std::min(text.size(), capacity - 1);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), field);
    field[n] = 0;
}

} // namespace dm

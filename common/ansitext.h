#pragma once
// Text between the program (UTF-8, standing in for the ANSI code page) and
// what other programs wrote: bytes of the Windows code page 1252 and UTF-16.
//
// A file written by a Windows program may hold a single byte such as 0xE9
// ("é" in the code page) where this program expects UTF-8. Such bytes are
// read as the code page's letters, everywhere the same way; valid UTF-8 is
// kept as it is, so text this program wrote reads back unchanged.

#include <string>
#include <string_view>

namespace dm {

// True when text is valid UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view text);

// Valid UTF-8 sequences kept; every other byte taken as a letter of code
// page 1252 (the five bytes it leaves undefined as the control characters
// of the same number, as the platform's conversion does).
std::string AnsiToUtf8(std::string_view text);

// UTF-16 little-endian bytes to UTF-8. A zero unit becomes a zero byte (so
// multi-strings keep their separators); an odd last byte is dropped; a lone
// surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
// UTF-8 (as AnsiToUtf8 reads it) to UTF-16 little-endian bytes; zero bytes
// become zero units.
std::string Utf8ToUtf16Le(std::string_view text);

} // namespace dm

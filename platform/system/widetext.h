#pragma once
// Conversion between the program's text (UTF-8, standing in for the ANSI code
// page) and the UTF-16 strings of the RAS and network account calls.

#include <cstddef>
#include <string>
#include <string_view>

namespace dm {

std::u16string ToWide(std::string_view text);
// A zero-terminated wide string (null reads as empty).
std::string FromWide(const char16_t* text);
std::string FromWide(std::u16string_view text);

// Copies text into a fixed wide field of capacity characters, cut to
// capacity - 1 characters (never inside a surrogate pair) and zero-terminated.
void CopyToWideField(char16_t* field, std::size_t capacity, std::string_view text);
// The same for a narrow field.
void CopyToField(char* field, std::size_t capacity, std::string_view text);

// Length of a zero-terminated wide string.
std::size_t WideLength(const char16_t* text);

} // namespace dm

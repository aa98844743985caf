#pragma once
// LZ expansion of installation media: the SZDD format that the installer's
// compressed source files ("DIALMIND.EX_") use, and its writer for building
// a medium.
//
// Layout of an SZDD file: the eight magic bytes "SZDD" 88 F0 27 33, the mode
// byte 'A', the last character of the original name (0 when not kept), the
// expanded length as a little-endian 32-bit number, then LZSS data: a flag
// byte whose bits, lowest first, tell for each of the next eight items
// whether it is a literal byte (1) or a two-byte reference (0) into a
// 4096-byte ring that starts filled with blanks, writing at 4096 - 16. A
// reference holds the ring position in 12 bits (low byte, then the high four
// bits in the upper nibble of the second byte) and the length minus 3 in the
// lower nibble.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dm {

// True when the data begins with the SZDD magic and mode 'A'.
bool IsSzdd(std::span<const std::uint8_t> data);

// Compresses data into a complete SZDD file. missingChar is the installed
// name's last character that the compressed name replaced with '_'.
std::vector<std::uint8_t> SzddCompress(std::span<const std::uint8_t> data, char missingChar = 0);

struct SzddExpansion {
    std::vector<std::uint8_t> data;
    char missingChar = 0;
    std::string error; // empty on success
    bool ok() const { return error.empty(); }
};

// Expands a complete SZDD file. Damaged input never crashes: a bad header or
// data that ends before the announced length is reported in error (data then
// holds what could be expanded). Output never exceeds the announced length.
SzddExpansion SzddExpand(std::span<const std::uint8_t> file);

// The name a compressed file expands to, as the platform's expand tools form
// it: a trailing '_' becomes missingChar, or is dropped when missingChar is 0
// (the underscore was appended, nothing was replaced). A name without a
// trailing '_' is kept.
std::string SzddExpandedName(const std::string& compressedName, char missingChar);

// The LZOpenFile/LZCopy pair: expands source into destination when it is
// SZDD, copies it byte for byte otherwise. Returns 0 or a Windows error
// number (2 source missing, 3 destination directory missing, 5 destination
// not writable or not a regular file, 13 damaged source, 112 the disk is full, 161 a link out of the network).
unsigned long LZCopyFile(const std::filesystem::path& source,
                         const std::filesystem::path& destination);

} // namespace dm

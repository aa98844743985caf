#pragma once
// The line formats of a REGEDIT4 file, apart from any file or hive:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Example]
//   "Text"="C:\\Dialmind \"quoted\""
//   @="the default value"
//   "Number"=dword:0000001e
//   "List"=hex(7):41,00,42,00,00
//   "Long"=hex:00,01,02,...,<backslash>
//     1d,1e
//
// Strings escape only '\' and '"'. A string holding a line break or a zero
// cannot stand between quotes and is written as hex(1) instead, so no value
// can break a line of the file. Byte lists end a line with ",\" when they
// continue on the next one.

#include "platform/registry/registry.h"

#include <string>
#include <string_view>
#include <vector>

namespace dm::regedit {

// A key header: "[HKEY_LOCAL_MACHINE\A\B]" or "[-HKEY_LOCAL_MACHINE\A]".
struct KeyHeader {
    std::vector<std::string> path; // components below HKEY_LOCAL_MACHINE
    bool localMachine = false;     // false: another root (kept, not used)
    bool deletion = false;         // "[-...]" in an import file
};

// False when the line is no key header (the line may carry leading blanks).
bool ParseKeyHeader(std::string_view line, KeyHeader& header);
std::string FormatKeyHeader(const std::vector<std::string>& path);

enum class ValueLineKind { NotAValue, Value, Deletion };

// How the strings given as byte lists (hex(1), hex(2), hex(7)) are encoded:
// as this program stores them (its own hives), in the ANSI code page
// (REGEDIT4 files of the registry editor) or as UTF-16 ("Windows Registry
// Editor Version 5.00" files). The last two are converted to the stored form.
enum class RegTextEncoding { Stored, Ansi, Utf16 };

// Reads one logical value line (continuation lines already joined, each
// "\<line end><blanks>" removed). Anything malformed is NotAValue.
ValueLineKind ParseValueLine(std::string_view line, RegValue& value,
                             RegTextEncoding encoding = RegTextEncoding::Stored);
// The value as one logical line, continued with eol where long; without the
// final line end. With Utf16, strings given as byte lists (hex(1), hex(2),
// hex(7)) hold UTF-16, as a version 5.00 file wants them.
std::string FormatValueLine(const RegValue& value, std::string_view eol,
                            RegTextEncoding encoding = RegTextEncoding::Stored);

// True when the line's data continues on the next physical line (a byte list
// ending in a backslash).
bool ContinuesOnNextLine(std::string_view line);

// True for the line that marks a key as denied to remote callers.
bool IsDenyRemoteMark(std::string_view line);
inline constexpr std::string_view DenyRemoteMark = "; deny-remote";

// Key and value names a hive can hold: no control characters (no line
// breaks), key components additionally not empty and without '\'.
bool IsValidKeyComponent(std::string_view name);
bool IsValidValueName(std::string_view name);

// The first lines of the two registry file formats.
inline constexpr std::string_view Regedit4Signature = "REGEDIT4";
inline constexpr std::string_view Regedit5Signature = "Windows Registry Editor Version 5.00";

// A registry file as the registry editor writes it, made ready for parsing:
// REGEDIT4 in the ANSI code page, or version 5.00 in UTF-16 with a
// byte-order mark (little or big endian), in UTF-8 with or without one, or
// in ANSI. text receives the file as UTF-8, encoding how its byte lists hold
// strings. False, with the reason in error, for a file that begins with
// neither signature.
bool DecodeRegFile(std::string_view bytes, std::string& text, RegTextEncoding& encoding,
                   std::string& error);

// A REGEDIT4 text (as RegExportText gives it) in the form of version 5.00:
// its signature and strings in byte lists as UTF-16; the text itself UTF-8.
std::string Version5Text(std::string_view regedit4);
// The same as the registry editor writes the file: UTF-16 with its mark.
std::string Version5File(std::string_view regedit4);

} // namespace dm::regedit

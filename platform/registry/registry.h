#pragma once
// The registry of the computers of the emulated network: the HKEY_LOCAL_MACHINE
// hive of each computer, reached locally or over the network.
//
// Each hive is the text file machines/<NAME>/registry.reg in REGEDIT4 form
// (docs/network.md). Every operation answers with a Windows error number,
// because the system's messages show those numbers:
//
//    0  success
//    2  key or value not found
//    5  access denied (a key marked as denied to remote callers; deleting a
//       key that still has sub-keys)
//   53  unknown or unreachable computer
//   87  a name that cannot be stored (empty key component, line break)
//  234  the caller's capacity is too small (the value or name is left alone)
//  259  enumeration past the last item
// 1018  the key of an open handle was deleted meanwhile
// 1630  the value exists with another type than the one asked for
//
// Semantics callers rely on:
// - Key and value names compare without regard to case and keep the spelling
//   they were created with. Key paths are relative and use backslashes
//   ("Software\Microsoft\RAS\AdminDLL"); a leading backslash is ignored.
// - Sub-keys enumerate in index order, which is the order of the hive file:
//   a key created through this interface comes after its existing siblings.
// - A handle names a key, not a copy: every call sees the hive as it is on
//   disk at that moment (parsed hives are cached by size and modification
//   time). Every change is one locked read-modify-write of the whole file,
//   replaced atomically, so concurrent writers in other threads or processes
//   lose nothing and readers never see a half-written hive.
// - A handle reached over the network ("\\NAME" other than the local computer)
//   is a remote caller: a key marked as denied to remote callers, and
//   everything below it, fails with 5 on open, create and delete. The local
//   computer and a console connection (RegOpenHive) are never denied.
//   Reachability is checked when connecting, not on later calls.
// - Handles close themselves (RAII); a closed or default handle answers 6.
//   Handles are cheap to copy by Duplicate and safe to use from any thread.

#include "platform/files/network.h" // winerr: the error numbers

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

namespace winerr {
constexpr unsigned long InvalidData = 13;
constexpr unsigned long KeyDeleted = 1018;
constexpr unsigned long UnsupportedType = 1630;
} // namespace winerr

// Value types, numbered as the platform numbers them.
enum RegType : unsigned long {
    RegNone = 0,
    RegSz = 1,
    RegExpandSz = 2,
    RegBinary = 3,
    RegDword = 4,
    RegMultiSz = 7,
};

// One value as stored. data holds the bytes the platform would return:
// REG_SZ / REG_EXPAND_SZ the text without its terminating zero; REG_DWORD four
// bytes, least significant first; REG_MULTI_SZ each string followed by a
// zero, then one more zero; other types their raw bytes.
struct RegValue {
    std::string name; // "" is the key's default value (written "@")
    unsigned long type = RegNone;
    std::string data;

    static RegValue String(std::string name, std::string_view text);
    static RegValue Dword(std::string name, std::uint32_t number);
    static RegValue MultiString(std::string name, const std::vector<std::string>& strings);
    // Decoders; false when the value has another type.
    bool AsString(std::string& text) const;
    bool AsDword(std::uint32_t& number) const;
    bool AsMultiString(std::vector<std::string>& strings) const;
};

class RegKey {
public:
    RegKey();
    ~RegKey();
    RegKey(RegKey&& other) noexcept;
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    bool IsOpen() const;
    void Close();
    // A second handle to the same key.
    RegKey Duplicate() const;
    // The computer in upper case ("MASTER") and the key path below
    // HKEY_LOCAL_MACHINE as spelled in the hive ("" for the hive itself).
    std::string Computer() const;
    std::string Path() const;
    bool IsRemote() const;

    // Opens an existing key below this one ("" opens this key again).
    unsigned long OpenKey(std::string_view subKey, RegKey& result) const;
    // Opens a key below this one, creating it and every missing key on the
    // way; created (when given) tells whether the last key was new.
    unsigned long CreateKey(std::string_view subKey, RegKey& result,
                            bool* created = nullptr) const;
    // Deletes a key below this one that has no sub-keys (5 when it has).
    unsigned long DeleteKey(std::string_view subKey) const;
    // Deletes a key below this one with everything below it.
    unsigned long DeleteTree(std::string_view subKey) const;

    // The name of the index-th sub-key. capacity, when not 0, is the caller's
    // buffer in characters including the terminating zero: a longer name
    // gives 234. Past the last sub-key: 259.
    unsigned long EnumKey(unsigned long index, std::string& name,
                          std::size_t capacity = 0) const;
    // The index-th value of this key in file order; 259 past the last one.
    unsigned long EnumValue(unsigned long index, RegValue& value) const;
    // All sub-key names in index order (empty on any failure).
    std::vector<std::string> SubKeyNames() const;

    // Reads a value of any type. capacity as the caller's buffer in bytes
    // (0 = no limit): data larger than capacity gives 234, as does a string
    // whose text and terminating zero exceed it.
    unsigned long QueryValue(std::string_view name, RegValue& value,
                             std::size_t capacity = 0) const;
    // Typed reads: 1630 when the value has another type (REG_EXPAND_SZ reads
    // as a string, unexpanded).
    unsigned long QueryString(std::string_view name, std::string& text,
                              std::size_t capacity = 0) const;
    unsigned long QueryDword(std::string_view name, std::uint32_t& number) const;
    unsigned long QueryMultiString(std::string_view name, std::vector<std::string>& strings,
                                   std::size_t capacity = 0) const;

    // Writes create the value or replace it (type included), keeping the
    // spelling of an existing name.
    unsigned long SetValue(const RegValue& value) const;
    unsigned long SetString(std::string_view name, std::string_view text) const;
    unsigned long SetDword(std::string_view name, std::uint32_t number) const;
    unsigned long SetMultiString(std::string_view name,
                                 const std::vector<std::string>& strings) const;
    unsigned long DeleteValue(std::string_view name) const;

    // Marks this key (and so everything below it) as denied to remote
    // callers, or lifts the mark. Only a local or console handle may do this
    // (5 otherwise). The mark is the comment line "; deny-remote" in the key's
    // block of the hive file.
    unsigned long SetDeniedToRemote(bool denied) const;
    bool IsDeniedToRemote() const;

    struct State;

private:
    friend struct RegKeyAccess;
    explicit RegKey(std::shared_ptr<const State> state);
    std::shared_ptr<const State> m_state;
};

// Connects to HKEY_LOCAL_MACHINE of a computer the way a program does over the
// network: "\\NAME" or "NAME", or "" / "." / the local computer's own name for
// the local hive. 53 when the computer is unknown or marked unreachable.
unsigned long RegConnectRegistry(std::string_view computer, RegKey& hive);

// The local computer's hive.
unsigned long RegOpenLocalMachine(RegKey& hive);

// A computer's hive as if at its own console: no reachability check, no
// remote denial. For tools that build and inspect networks (dmctl, setup of
// demo networks). 53 only when the computer does not exist.
unsigned long RegOpenHive(std::string_view computer, RegKey& hive);

// The key with everything below it as REGEDIT4 text (a handle to the hive
// itself exports the whole hive). CRLF line ends, as the hive file has them.
unsigned long RegExportText(const RegKey& key, std::string& text);

// Applies a registry file's text to the key's hive in one locked write: a
// REGEDIT4 file (ANSI) or a version 5.00 file (UTF-16 or UTF-8), see
// regedit::DecodeRegFile; any other text fails with InvalidData and changes
// nothing. Key paths in
// the text are full paths below HKEY_LOCAL_MACHINE): every key block of
// HKEY_LOCAL_MACHINE is created and its values set; "[-KEY]" deletes a tree,
// "\"name\"=-" deletes a value, "; deny-remote" marks the key. Lines that
// cannot be read are skipped; imported counts the values and keys applied.
unsigned long RegImportText(const RegKey& hive, std::string_view text,
                            std::size_t* imported = nullptr);

} // namespace dm

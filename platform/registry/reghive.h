#pragma once
// One computer's HKEY_LOCAL_MACHINE as a REGEDIT4 document, in memory.
//
// The document keeps every line it was read from: key blocks in file order,
// their values, comments, blank lines and lines it could not read. Saving a
// document that was not changed gives back the text it was read from byte
// for byte; a change rewrites only the lines it touches (new lines take the
// line end the file already uses, CRLF for a new file).
//
// Reading is tolerant: a line that is neither a key header nor a value is
// kept as it is and otherwise ignored; blocks of other roots than
// HKEY_LOCAL_MACHINE are kept and ignored. A key exists when a block names it
// or a key below it. Where one value appears twice in a key, the later one
// counts.
//
// Paths are component lists below HKEY_LOCAL_MACHINE; every comparison is
// without regard to case. The document does no locking and no file access.
//
// Keys are indexed by path when the document is read and the index is kept
// up to date by every edit, so looking up a key, its blocks or its sub-keys
// costs the same in a hive of ten keys as in one of ten thousand. Deleting a
// tree rebuilds the index (it touches every block anyway).

#include "platform/registry/regeditformat.h"
#include "platform/registry/registry.h"

#include <list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dm {

using KeyPath = std::vector<std::string>;

// True when path is prefix or lies below it; key names compare without
// regard to case.
bool IsKeyPathPrefix(const KeyPath& prefix, const KeyPath& path);

class RegHive {
public:
    RegHive();
    RegHive(const RegHive& other);
    RegHive& operator=(const RegHive& other);
    RegHive(RegHive&& other) noexcept = default;
    RegHive& operator=(RegHive&& other) noexcept = default;
    static RegHive Parse(std::string_view text,
                         regedit::RegTextEncoding encoding = regedit::RegTextEncoding::Stored);
    std::string Serialize() const;

    // The key's path as spelled in the document, when the key exists.
    std::optional<KeyPath> FindKey(const KeyPath& path) const;
    // Sub-key names of an existing key, in index order.
    std::vector<std::string> SubKeys(const KeyPath& path) const;
    // The index-th of them without copying the others; null past the last.
    const std::string* SubKeyAt(const KeyPath& path, std::size_t index) const;
    // Values of a key in file order, the later of two equal names counting.
    std::vector<RegValue> Values(const KeyPath& path) const;
    std::optional<RegValue> FindValue(const KeyPath& path, std::string_view name) const;
    // True when the key or one above it carries the deny-remote mark.
    bool IsDeniedToRemote(const KeyPath& path) const;
    bool HasOwnDenyMark(const KeyPath& path) const;
    // True when a key below this one (not the key itself) carries the mark.
    bool HoldsDeniedKey(const KeyPath& path) const;

    // Creates the key and every missing key above it; true when it was new.
    bool CreateKey(const KeyPath& path);
    // Removes the key and everything below it; false when it did not exist.
    bool DeleteTree(const KeyPath& path);
    // Sets a value of an existing key (creating the key's block if needed).
    void SetValue(const KeyPath& path, const RegValue& value);
    // False when the value did not exist.
    bool DeleteValue(const KeyPath& path, std::string_view name);
    void SetDeniedToRemote(const KeyPath& path, bool denied);

    // The key and everything below it as a REGEDIT4 text of its own;
    // leaveOutDenied leaves out the keys denied to remote callers.
    // With Utf16 the text is of version 5.00 (its signature, strings in
    // byte lists as UTF-16), still held as UTF-8.
    std::string Export(const KeyPath& path, std::string_view eol = "\r\n",
                       bool leaveOutDenied = false,
                       regedit::RegTextEncoding encoding = regedit::RegTextEncoding::Stored) const;

    // Applies an import document (see RegImportText); returns how many keys
    // and values it applied.
    std::size_t Apply(const RegHive& import);
    // True when a remote caller may apply this import document to target:
    // it neither changes nor deletes a key that target denies to remote
    // callers, deletes no key holding such a key, and sets no deny mark.
    bool AllowedToRemote(const RegHive& target) const;

private:
    struct Entry {
        enum Kind { Other, Value, DenyMark, ValueDeletion } kind = Other;
        std::string raw; // the physical lines as read, empty once changed
        std::string eol; // the final line end as read ("" at the end of a file)
        RegValue value;
    };
    struct Block {
        std::string raw; // the header line as read, empty when new
        std::string eol;
        KeyPath path;
        bool localMachine = true;
        bool deletion = false;
        std::vector<Entry> entries;
    };

    using BlockList = std::list<Block>;
    using BlockIt = BlockList::iterator;
    // One key of the hive as the blocks define it.
    struct KeyNode {
        KeyPath spelled;                   // as first spelled in the file
        std::vector<std::string> children; // sub-key names in index order
        std::vector<BlockIt> own;          // the blocks naming this key, in file order
        BlockIt last;                      // the last block of this key's tree in file order
    };

    static std::string IndexKey(const KeyPath& path, std::size_t length);
    const KeyNode* Node(const KeyPath& path) const;
    KeyNode* Node(const KeyPath& path);
    // Adds a block that comes after every block indexed so far.
    void IndexAppended(BlockIt block);
    void RebuildIndex();

    std::vector<BlockIt> BlocksOf(const KeyPath& path) const;
    BlockIt InsertBlock(const KeyPath& path);
    BlockIt BlockForWriting(const KeyPath& path);
    KeyPath Spelled(const KeyPath& path) const;
    static void AppendEntry(std::string& out, const Entry& entry, bool last, std::string_view eol);

    std::vector<Entry> m_preamble;
    BlockList m_blocks;
    std::string m_eol = "\r\n";
    // Lower-case path ("software\\microsoft") -> key; "" is the hive itself.
    std::unordered_map<std::string, KeyNode> m_keys;
};

} // namespace dm

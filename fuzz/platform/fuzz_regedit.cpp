// The REGEDIT4 reader on arbitrary text. Beyond not crashing, it checks the
// promises the registry depends on:
// - an unchanged document is written back byte for byte;
// - every key and value it reports can be walked;
// - a value written into the document reads back after writing and reading
//   the file again, and the rewritten file reads back unchanged too.

#include "platform/registry/reghive.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void Walk(const dm::RegHive& hive, dm::KeyPath& path, int depth)
{
    if (depth > 8)
        return;
    for (const auto& value : hive.Values(path)) {
        auto found = hive.FindValue(path, value.name);
        Check(found.has_value() && found->data == value.data && found->type == value.type);
    }
    for (const auto& child : hive.SubKeys(path)) {
        path.push_back(child);
        Check(hive.FindKey(path).has_value());
        Walk(hive, path, depth + 1);
        path.pop_back();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    dm::RegHive hive = dm::RegHive::Parse(text);
    Check(hive.Serialize() == text);
    dm::KeyPath path;
    Walk(hive, path, 0);

    // Write into the first key found (or a new one) and read the result back.
    dm::KeyPath target = {"Fuzz"};
    const auto top = hive.SubKeys({});
    if (!top.empty())
        target = {top.front(), "Fuzz"};
    hive.CreateKey(target);
    const dm::RegValue value = dm::RegValue::String("Probe", text.substr(0, 64));
    hive.SetValue(target, value);
    hive.SetValue(target, dm::RegValue::MultiString("List", {text.substr(0, 16), "x"}));
    const std::string written = hive.Serialize();
    const dm::RegHive again = dm::RegHive::Parse(written);
    Check(again.Serialize() == written);
    auto found = again.FindValue(target, "probe");
    Check(found.has_value() && found->type == value.type && found->data == value.data);
    return 0;
}

// dmctl reg: any computer's HKEY_LOCAL_MACHINE, as the programs reach it.

#include "common/numbers.h"
#include "common/text.h"
#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "dmctl/netcommands.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/registry/regeditformat.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::reggroup {

const char kRegHelp[] =
    "Usage: dmctl reg [--remote] COMMAND COMPUTER ARGS... [--remote]\n\n"
    "Reads and changes the registry (HKEY_LOCAL_MACHINE) of a computer of the\n"
    "emulated network. COMPUTER is \"\\\\NAME\", \"NAME\" or \".\" for the local computer;\n"
    "KEY is a path below HKEY_LOCAL_MACHINE (\"Software\\Microsoft\\RAS\\AdminDLL\");\n"
    "VALUE \"@\" is the key's default value. Without --remote the hive is reached as\n"
    "at the computer's console; with --remote as a program over the network\n"
    "(offline computers and keys denied to remote callers fail).\n\n"
    "Commands:\n"
    "  get COMPUTER KEY VALUE          print a value: text, decimal number, or one\n"
    "                                  string a line for multi-strings\n"
    "  set COMPUTER KEY VALUE --sz TEXT | --dword N | --multi TEXT...\n"
    "                                  write a value (the key is created); N decimal or 0x hex\n"
    "  values COMPUTER KEY             print name, type and data of each value, tab-separated\n"
    "  keys COMPUTER KEY               print the sub-keys in index order, one a line\n"
    "  delete COMPUTER KEY [VALUE]     delete a value, or the key with everything below it\n"
    "  deny COMPUTER KEY on|off        mark the key as denied to remote callers, or lift it\n"
    "  export COMPUTER [KEY] [--version5]\n"
    "                                  print the hive, or the key, as REGEDIT4 text, or as\n"
    "                                  the registry editor's version 5.00 file (UTF-16)\n"
    "  import COMPUTER FILE            apply a registry file: REGEDIT4 (ANSI) or \"Windows\n"
    "                                  Registry Editor Version 5.00\" (UTF-16 or UTF-8), every\n"
    "                                  value type; any other file is refused (\"-\" reads\n"
    "                                  stdin; a system path such as \\\\MASTER\\SHARE\\x.reg\n"
    "                                  goes through the resolver)\n\n"
    "A word in the place of an argument, and every word after --multi, is that\n"
    "argument even when it starts with \"-\"; \"--\" ends the options. --remote stands\n"
    "before the command or after the arguments (before --multi).\n"
    "Failures print the Windows error number and its name and exit with status 2.\n";

int Usage(const char* error)
{
    std::fprintf(stderr, "dmctl reg: %s\n\n%s", error, kRegHelp);
    return 1;
}

std::string KeyArgument(std::string key)
{
    for (const char* root : {"HKEY_LOCAL_MACHINE", "HKLM"}) {
        const std::string_view prefix = root;
        if (dm::StartsWithNoCase(key, prefix) && (key.size() == prefix.size() || key[prefix.size()] == '\\'))
            return key.substr(prefix.size());
    }
    return key;
}

std::string ValueName(const std::string& name)
{
    return name == "@" ? std::string() : name;
}

struct Target {
    dm::RegKey hive;
    std::string computer;
};

int Connect(const std::string& computer, bool remote, Target& target)
{
    target.computer = computer == "." ? std::string() : computer;
    unsigned long error = remote ? dm::RegConnectRegistry(target.computer, target.hive)
                                 : dm::RegOpenHive(target.computer, target.hive);
    if (error != 0)
        return dmctl::FailWithWinError("reg", "cannot reach '" + computer + "'", error);
    return 0;
}

std::string TypeName(unsigned long type)
{
    switch (type) {
    case dm::RegSz: return "REG_SZ";
    case dm::RegExpandSz: return "REG_EXPAND_SZ";
    case dm::RegBinary: return "REG_BINARY";
    case dm::RegDword: return "REG_DWORD";
    case dm::RegMultiSz: return "REG_MULTI_SZ";
    default: return "REG_" + std::to_string(type);
    }
}

// The data as dmctl prints it; multi-strings joined by sep.
std::string DataText(const dm::RegValue& value, const char* sep)
{
    std::string text;
    std::uint32_t number = 0;
    std::vector<std::string> strings;
    if (value.AsString(text))
        return text;
    if (value.AsDword(number))
        return std::to_string(number);
    if (value.AsMultiString(strings)) {
        for (std::size_t i = 0; i < strings.size(); ++i)
            text += (i ? sep : "") + strings[i];
        return text;
    }
    static const char digits[] = "0123456789abcdef";
    for (unsigned char c : value.data) {
        if (!text.empty())
            text += ',';
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

// A value's data as "values" (multi-strings joined by "\0") and "get" (one
// string a line) show it. A string that holds a control character (a line
// break would read as two values or two strings) or the separator itself is
// shown as its bytes instead, "hex:" and two digits a byte, so that no
// output can be read two ways.
std::string UnambiguousData(const dm::RegValue& value, const std::string& separator)
{
    std::string text;
    std::vector<std::string> strings;
    if (value.AsString(text))
        strings.push_back(text);
    else if (!value.AsMultiString(strings))
        return DataText(value, separator.c_str());
    const bool ambiguous = std::any_of(strings.begin(), strings.end(), [&](const std::string& s) {
        return s.find(separator) != std::string::npos ||
               std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    });
    if (!ambiguous)
        return DataText(value, separator.c_str());
    static const char digits[] = "0123456789abcdef";
    text = "hex:";
    for (std::size_t i = 0; i < value.data.size(); ++i) {
        const unsigned char c = value.data[i];
        text += i ? "," : "";
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

int OpenKey(const Target& target, const std::string& key, dm::RegKey& result)
{
    if (unsigned long error = target.hive.OpenKey(KeyArgument(key), result))
        return dmctl::FailWithWinError("reg", "cannot open key '" + key + "'", error);
    return 0;
}

// args: the positional words after COMPUTER.
int RunCommand(const std::string& command, const dmctl::Words& words, const Target& target)
{
    const std::vector<std::string> args(words.positional.begin() + 1, words.positional.end());
    dm::RegKey key;
    if (command == "get") {
        if (int status = OpenKey(target, args[0], key))
            return status;
        dm::RegValue value;
        if (unsigned long error = key.QueryValue(ValueName(args[1]), value))
            return dmctl::FailWithWinError("reg", "cannot read value '" + args[1] + "'", error);
        std::printf("%s\n", UnambiguousData(value, "\n").c_str());
        return 0;
    }
    if (command == "set") {
        dm::RegValue value;
        const std::string name = ValueName(args[1]);
        const int kinds = int(words.Has("--sz")) + int(words.Has("--dword")) + int(!words.listOption.empty());
        if (kinds != 1)
            return Usage("set takes exactly one of --sz TEXT, --dword N, --multi TEXT...");
        if (words.Has("--sz")) {
            value = dm::RegValue::String(name, words.Get("--sz"));
        } else if (words.Has("--dword")) {
            const std::optional<std::uint32_t> number = dm::ParseUInt32DecimalOrHex(words.Get("--dword"));
            if (!number)
                return Usage("--dword takes a number from 0 to 4294967295");
            value = dm::RegValue::Dword(name, *number);
        } else {
            // An empty string ends a multi-string: "a" "" "c" would be stored
            // as "a" alone, so it is refused rather than cut.
            if (std::any_of(words.list.begin(), words.list.end(), [](const std::string& w) { return w.empty(); }))
                return Usage("--multi: a multi-string cannot hold an empty string (it would end the list there)");
            value = dm::RegValue::MultiString(name, words.list);
        }
        if (unsigned long error = target.hive.CreateKey(KeyArgument(args[0]), key))
            return dmctl::FailWithWinError("reg", "cannot create key '" + args[0] + "'", error);
        if (unsigned long error = key.SetValue(value))
            return dmctl::FailWithWinError("reg", "cannot write value '" + args[1] + "'", error);
        return 0;
    }
    if (command == "values" || command == "keys") {
        if (int status = OpenKey(target, args[0], key))
            return status;
        unsigned long index = 0, error = 0;
        std::string name;
        dm::RegValue value;
        while ((error = command == "keys" ? key.EnumKey(index, name) : key.EnumValue(index, value)) == 0) {
            if (command == "keys")
                std::printf("%s\n", name.c_str());
            else
                std::printf("%s\t%s\t%s\n", value.name.empty() ? "@" : value.name.c_str(),
                            TypeName(value.type).c_str(), UnambiguousData(value, "\\0").c_str());
            ++index;
        }
        return error == dm::winerr::NoMoreItems ? 0 : dmctl::FailWithWinError("reg", "cannot list", error);
    }
    if (command == "delete") {
        if (args.size() == 1) {
            if (unsigned long error = target.hive.DeleteTree(KeyArgument(args[0])))
                return dmctl::FailWithWinError("reg", "cannot delete key '" + args[0] + "'", error);
            return 0;
        }
        if (int status = OpenKey(target, args[0], key))
            return status;
        if (unsigned long error = key.DeleteValue(ValueName(args[1])))
            return dmctl::FailWithWinError("reg", "cannot delete value '" + args[1] + "'", error);
        return 0;
    }
    if (command == "deny") {
        if (args[1] != "on" && args[1] != "off")
            return Usage("deny takes COMPUTER KEY on|off");
        if (int status = OpenKey(target, args[0], key))
            return status;
        if (unsigned long error = key.SetDeniedToRemote(args[1] == "on"))
            return dmctl::FailWithWinError("reg", "cannot mark key '" + args[0] + "'", error);
        return 0;
    }
    if (command == "export") {
        if (int status = OpenKey(target, args.empty() ? std::string() : args[0], key))
            return status;
        std::string text;
        if (unsigned long error = dm::RegExportText(key, text))
            return dmctl::FailWithWinError("reg", "cannot export", error);
        if (words.Has("--version5"))
            text = dm::regedit::Version5File(text);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    if (command == "import") {
        std::ostringstream text;
        if (args[0] == "-") {
            text << std::cin.rdbuf();
        } else {
            // A name in the system's form ("\\MASTER\SHARE\x.reg", "C:\x.reg")
            // goes through the resolver; any other is a path of this machine.
            const bool systemForm = args[0].find('\\') != std::string::npos ||
                                    (args[0].size() >= 2 && args[0][1] == ':');
            const dm::ResolvedPath file =
                systemForm ? dm::ResolvePath(args[0]) : dm::ResolvedPath{args[0], 0};
            if (!file.ok())
                return dmctl::FailWithWinError("reg", "cannot reach '" + args[0] + "'", file.error);
            std::ifstream in(file.path, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "dmctl reg: cannot read '%s'\n", args[0].c_str());
                return 1;
            }
            text << in.rdbuf();
        }
        std::string decoded, reason;
        dm::regedit::RegTextEncoding encoding;
        if (!dm::regedit::DecodeRegFile(text.str(), decoded, encoding, reason)) {
            std::fprintf(stderr, "dmctl reg: cannot import '%s': %s; nothing was imported\n",
                         args[0].c_str(), reason.c_str());
            return 2;
        }
        std::size_t count = 0;
        if (unsigned long error = dm::RegImportText(target.hive, text.str(), &count))
            return dmctl::FailWithWinError("reg", "cannot import", error);
        std::printf("%zu keys and values imported\n", count);
        return 0;
    }
    return Usage(("unknown command '" + command + "'").c_str());
}

struct RegCommand {
    const char* name;
    const char* usage;
    std::size_t required, allowed; // positional words, COMPUTER included
};

const RegCommand kRegCommands[] = {
    {"get", "get takes COMPUTER KEY VALUE", 3, 3},
    {"set", "set takes COMPUTER KEY VALUE and --sz TEXT, --dword N or --multi TEXT...", 3, 3},
    {"values", "values takes COMPUTER KEY", 2, 2},
    {"keys", "keys takes COMPUTER KEY", 2, 2},
    {"delete", "delete takes COMPUTER KEY [VALUE]", 2, 3},
    {"deny", "deny takes COMPUTER KEY on|off", 3, 3},
    {"export", "export takes COMPUTER [KEY]", 1, 2},
    {"import", "import takes COMPUTER FILE", 2, 2},
};

int RunReg(const std::vector<std::string>& all)
{
    // Options before the command: --remote and --help.
    bool remote = false;
    std::size_t first = 0;
    for (; first < all.size() && all[first].size() > 1 && all[first][0] == '-'; ++first) {
        if (dmctl::IsHelpWord(all[first])) {
            std::fputs(kRegHelp, stdout);
            return 0;
        }
        if (all[first] != "--remote")
            return Usage(("unknown option '" + all[first] + "'").c_str());
        remote = true;
    }
    if (first >= all.size())
        return Usage("missing command");
    const std::string& name = all[first];
    const RegCommand* command = nullptr;
    for (const auto& c : kRegCommands) {
        if (name == c.name)
            command = &c;
    }
    if (command == nullptr)
        return Usage(("unknown command '" + name + "'").c_str());
    dmctl::Syntax syntax{command->required, command->allowed, {}, {"--remote"}, {}};
    if (name == "set")
        syntax = {3, 3, {"--sz", "--dword"}, {"--remote"}, {"--multi"}};
    if (name == "export")
        syntax.flags.insert("--version5");
    const dmctl::Words words =
        dmctl::ParseWords(std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(first) + 1, all.end()), syntax);
    if (words.help) {
        std::fputs(kRegHelp, stdout);
        return 0;
    }
    if (!words.error.empty())
        return Usage((std::string(command->usage) + ": " + words.error).c_str());
    Target target;
    if (int status = Connect(words.positional[0], remote || words.Has("--remote"), target))
        return status;
    return RunCommand(name, words, target);
}

dmctl::DmctlGroup reg("reg", "any computer's registry: get, set, keys, delete, export, import", RunReg);

} // namespace dmctl::reggroup

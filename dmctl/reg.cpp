// dmctl reg: any computer's HKEY_LOCAL_MACHINE, as the programs reach it.

#include "dmctl/command.h"
#include "dmctl/netcommands.h"
#include "platform/network.h"
#include "platform/pathresolver.h"
#include "platform/registry.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <strings.h>

namespace {

const char kRegHelp[] =
    "Usage: dmctl reg COMMAND COMPUTER ARGS... [--remote]\n\n"
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
    "  export COMPUTER [KEY]           print the hive, or the key, as REGEDIT4 text\n"
    "  import COMPUTER FILE            apply a REGEDIT4 file (\"-\" reads stdin; a system path\n"
    "                                  such as \\\\MASTER\\SHARE\\x.reg goes through the resolver)\n\n"
    "Failures print the Windows error number and its name and exit with status 2.\n";

int Usage(const char* error)
{
    std::fprintf(stderr, "dmctl reg: %s\n\n%s", error, kRegHelp);
    return 1;
}

std::string KeyArgument(std::string key)
{
    for (const char* root : {"HKEY_LOCAL_MACHINE", "HKLM"}) {
        const std::string prefix = root;
        if (key.size() >= prefix.size() && strncasecmp(key.c_str(), root, prefix.size()) == 0 &&
            (key.size() == prefix.size() || key[prefix.size()] == '\\'))
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

bool ParseNumber(const std::string& text, std::uint32_t& number)
{
    if (text.empty() || text[0] == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || *end != '\0' || value > 0xffffffffULL)
        return false;
    number = static_cast<std::uint32_t>(value);
    return true;
}

int OpenKey(const Target& target, const std::string& key, dm::RegKey& result)
{
    if (unsigned long error = target.hive.OpenKey(KeyArgument(key), result))
        return dmctl::FailWithWinError("reg", "cannot open key '" + key + "'", error);
    return 0;
}

int RunCommand(const std::string& command, const std::vector<std::string>& args, const Target& target)
{
    dm::RegKey key;
    if (command == "get") {
        if (args.size() != 2)
            return Usage("get takes COMPUTER KEY VALUE");
        if (int status = OpenKey(target, args[0], key))
            return status;
        dm::RegValue value;
        if (unsigned long error = key.QueryValue(ValueName(args[1]), value))
            return dmctl::FailWithWinError("reg", "cannot read value '" + args[1] + "'", error);
        std::printf("%s\n", DataText(value, "\n").c_str());
        return 0;
    }
    if (command == "set") {
        if (args.size() < 4)
            return Usage("set takes COMPUTER KEY VALUE and --sz TEXT, --dword N or --multi TEXT...");
        dm::RegValue value;
        const std::string name = ValueName(args[1]);
        if (args[2] == "--sz" && args.size() == 4) {
            value = dm::RegValue::String(name, args[3]);
        } else if (args[2] == "--dword" && args.size() == 4) {
            std::uint32_t number = 0;
            if (!ParseNumber(args[3], number))
                return Usage("--dword takes a number from 0 to 4294967295");
            value = dm::RegValue::Dword(name, number);
        } else if (args[2] == "--multi") {
            value = dm::RegValue::MultiString(name, std::vector<std::string>(args.begin() + 3, args.end()));
        } else {
            return Usage("set takes exactly one of --sz TEXT, --dword N, --multi TEXT...");
        }
        if (unsigned long error = target.hive.CreateKey(KeyArgument(args[0]), key))
            return dmctl::FailWithWinError("reg", "cannot create key '" + args[0] + "'", error);
        if (unsigned long error = key.SetValue(value))
            return dmctl::FailWithWinError("reg", "cannot write value '" + args[1] + "'", error);
        return 0;
    }
    if (command == "values" || command == "keys") {
        if (args.size() != 1)
            return Usage((command + " takes COMPUTER KEY").c_str());
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
                            TypeName(value.type).c_str(), DataText(value, "\\0").c_str());
            ++index;
        }
        return error == dm::winerr::NoMoreItems ? 0 : dmctl::FailWithWinError("reg", "cannot list", error);
    }
    if (command == "delete") {
        if (args.size() != 1 && args.size() != 2)
            return Usage("delete takes COMPUTER KEY [VALUE]");
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
        if (args.size() != 2 || (args[1] != "on" && args[1] != "off"))
            return Usage("deny takes COMPUTER KEY on|off");
        if (int status = OpenKey(target, args[0], key))
            return status;
        if (unsigned long error = key.SetDeniedToRemote(args[1] == "on"))
            return dmctl::FailWithWinError("reg", "cannot mark key '" + args[0] + "'", error);
        return 0;
    }
    if (command == "export") {
        if (args.size() > 1)
            return Usage("export takes COMPUTER [KEY]");
        if (int status = OpenKey(target, args.empty() ? std::string() : args[0], key))
            return status;
        std::string text;
        if (unsigned long error = dm::RegExportText(key, text))
            return dmctl::FailWithWinError("reg", "cannot export", error);
        std::fwrite(text.data(), 1, text.size(), stdout);
        return 0;
    }
    if (command == "import") {
        if (args.size() != 1)
            return Usage("import takes COMPUTER FILE");
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
        std::size_t count = 0;
        if (unsigned long error = dm::RegImportText(target.hive, text.str(), &count))
            return dmctl::FailWithWinError("reg", "cannot import", error);
        std::printf("%zu keys and values imported\n", count);
        return 0;
    }
    return Usage(("unknown command '" + command + "'").c_str());
}

int RunReg(const std::vector<std::string>& all)
{
    if (dmctl::WantsHelp(all)) {
        std::fputs(kRegHelp, stdout);
        return 0;
    }
    std::vector<std::string> args;
    bool remote = false;
    for (const auto& a : all) {
        if (a == "--remote")
            remote = true;
        else
            args.push_back(a);
    }
    if (args.size() < 2)
        return Usage(args.empty() ? "missing command" : "missing COMPUTER");
    static const char* const commands[] = {"get", "set", "values", "keys", "delete", "deny", "export", "import"};
    if (std::none_of(std::begin(commands), std::end(commands), [&](const char* c) { return args[0] == c; }))
        return Usage(("unknown command '" + args[0] + "'").c_str());
    Target target;
    if (int status = Connect(args[1], remote, target))
        return status;
    return RunCommand(args[0], std::vector<std::string>(args.begin() + 2, args.end()), target);
}

dmctl::DmctlGroup reg("reg", "any computer's registry: get, set, keys, delete, export, import", RunReg);

} // namespace

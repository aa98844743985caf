// dmctl ini: the profile operations on any file, as every program sees them.

#include <cstdio>

#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::inigroup {

const char kIniHelp[] =
    "Usage: dmctl ini COMMAND ARGS...\n\n"
    "Reads and writes profile files with the rules all Dialminder programs share.\n"
    "FILE is a system path (\"\\\\MASTER\\DM_NT_DB\\Dialmind.hw\", \"C:\\Dialmind\\x.ini\",\n"
    "a bare name in the Windows directory) or a path of this machine. A system path\n"
    "never leaves the network: \"..\" above a share or a drive, or a link in the\n"
    "network that leads out of it, fails with error 161 and writes nothing.\n\n"
    "Commands:\n"
    "  get FILE SECTION KEY [--default TEXT]   print the value; a missing key prints TEXT,\n"
    "                                          or is an error without --default\n"
    "  set FILE SECTION KEY VALUE              write the value\n"
    "  delete FILE SECTION [KEY]               delete the key, or the whole section\n"
    "  sections FILE                           print the section names, one a line\n"
    "  keys FILE SECTION                       print the key names of a section, one a line\n\n"
    "A word in the place of an argument is that argument, even one starting with\n"
    "\"-\"; \"--\" ends the options, so later words are arguments too.\n";

int Usage(const char* error)
{
    std::fprintf(stderr, "dmctl ini: %s\n\n%s", error, kIniHelp);
    return 2;
}

// True when the file name resolves (and, for a write, may be written);
// otherwise an error message with the system's error number.
bool CheckResolvable(const std::string& file, bool forWrite = false)
{
    dm::ResolvedPath resolved = dm::ResolvePath(file);
    if (resolved.ok() && forWrite)
        resolved = dm::ResolveWriteTarget(resolved.path);
    if (resolved.ok())
        return true;
    std::fprintf(stderr, "dmctl ini: cannot reach '%s' (error %lu, %s)\n", file.c_str(),
                 resolved.error, dm::WinErrorName(resolved.error).c_str());
    return false;
}

void PrintLines(const std::vector<std::string>& lines)
{
    for (const auto& line : lines)
        std::printf("%s\n", line.c_str());
}

int RunGet(const dmctl::Words& args)
{
    const auto& plain = args.positional;
    if (!CheckResolvable(plain[0]))
        return 1;
    // A value that is there may be empty; tell it apart from a missing key
    // with a default that no file can hold.
    const char* kMissing = "\n";
    std::string value = dm::GetPrivateProfileString(plain[1], plain[2], kMissing, plain[0]);
    if (value == kMissing) {
        if (!args.Has("--default")) {
            std::fprintf(stderr, "dmctl ini: no key '%s' in section '%s' of '%s'\n",
                         plain[2].c_str(), plain[1].c_str(), plain[0].c_str());
            return 1;
        }
        value = args.Get("--default");
    }
    std::fwrite(value.data(), 1, value.size(), stdout);
    std::printf("\n");
    return 0;
}

int RunSet(const dmctl::Words& args)
{
    const auto& a = args.positional;
    if (!CheckResolvable(a[0], true))
        return 1;
    if (!dm::WritePrivateProfileString(a[1], a[2], a[3], a[0])) {
        std::fprintf(stderr, "dmctl ini: cannot write '%s' (a name holds ']', '=' or a line "
                             "break, or the file or its directory cannot be written)\n",
                     a[0].c_str());
        return 1;
    }
    return 0;
}

int RunDelete(const dmctl::Words& args)
{
    const auto& a = args.positional;
    if (!CheckResolvable(a[0], true))
        return 1;
    bool ok = a.size() == 3 ? dm::DeletePrivateProfileKey(a[1], a[2], a[0])
                            : dm::DeletePrivateProfileSection(a[1], a[0]);
    if (!ok) {
        std::fprintf(stderr, "dmctl ini: cannot change '%s'\n", a[0].c_str());
        return 1;
    }
    return 0;
}

int RunSections(const dmctl::Words& args)
{
    if (!CheckResolvable(args.positional[0]))
        return 1;
    PrintLines(dm::GetPrivateProfileSectionNames(args.positional[0]));
    return 0;
}

int RunKeys(const dmctl::Words& args)
{
    if (!CheckResolvable(args.positional[0]))
        return 1;
    PrintLines(dm::GetPrivateProfileKeyNames(args.positional[1], args.positional[0]));
    return 0;
}

struct IniCommand {
    const char* name;
    const char* usage;
    dmctl::Syntax syntax;
    int (*run)(const dmctl::Words&);
};

int RunIni(const std::vector<std::string>& args)
{
    if (args.empty())
        return Usage("a command is needed");
    if (dmctl::IsHelpWord(args[0])) {
        std::printf("%s", kIniHelp);
        return 0;
    }
    static const IniCommand commands[] = {
        {"get", "get takes FILE SECTION KEY [--default TEXT]", {3, 3, {"--default"}, {}, {}}, RunGet},
        {"set", "set takes FILE SECTION KEY VALUE", {4, 4, {}, {}, {}}, RunSet},
        {"delete", "delete takes FILE SECTION [KEY]", {2, 3, {}, {}, {}}, RunDelete},
        {"sections", "sections takes FILE", {1, 1, {}, {}, {}}, RunSections},
        {"keys", "keys takes FILE SECTION", {2, 2, {}, {}, {}}, RunKeys},
    };
    for (const auto& command : commands) {
        if (args[0] != command.name)
            continue;
        const dmctl::Words words =
            dmctl::ParseWords(std::vector<std::string>(args.begin() + 1, args.end()), command.syntax);
        if (words.help) {
            std::printf("%s", kIniHelp);
            return 0;
        }
        if (!words.error.empty())
            return Usage((std::string(command.usage) + ": " + words.error).c_str());
        return command.run(words);
    }
    return Usage(("unknown command '" + args[0] + "'").c_str());
}

dmctl::DmctlGroup ini("ini", "profile files: get, set, delete, sections, keys", RunIni);

} // namespace dmctl::inigroup

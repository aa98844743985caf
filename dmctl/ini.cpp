// dmctl ini: the profile operations on any file, as every program sees them.

#include <cstdio>

#include "dmctl/command.h"
#include "platform/network.h"
#include "platform/pathresolver.h"
#include "platform/profile.h"

namespace {

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
    "  keys FILE SECTION                       print the key names of a section, one a line\n";

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

int RunGet(const std::vector<std::string>& args)
{
    std::vector<std::string> plain;
    const std::string* fallback = nullptr;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--default") {
            if (i + 1 >= args.size())
                return Usage("--default needs a text");
            fallback = &args[++i];
        } else {
            plain.push_back(args[i]);
        }
    }
    if (plain.size() != 3)
        return Usage("get takes FILE SECTION KEY");
    if (!CheckResolvable(plain[0]))
        return 1;
    // A value that is there may be empty; tell it apart from a missing key
    // with a default that no file can hold.
    const char* kMissing = "\n";
    std::string value = dm::GetPrivateProfileString(plain[1], plain[2], kMissing, plain[0]);
    if (value == kMissing) {
        if (!fallback) {
            std::fprintf(stderr, "dmctl ini: no key '%s' in section '%s' of '%s'\n",
                         plain[2].c_str(), plain[1].c_str(), plain[0].c_str());
            return 1;
        }
        value = *fallback;
    }
    std::fwrite(value.data(), 1, value.size(), stdout);
    std::printf("\n");
    return 0;
}

int RunSet(const std::vector<std::string>& args)
{
    if (args.size() != 5)
        return Usage("set takes FILE SECTION KEY VALUE");
    if (!CheckResolvable(args[1], true))
        return 1;
    if (!dm::WritePrivateProfileString(args[2], args[3], args[4], args[1])) {
        std::fprintf(stderr, "dmctl ini: cannot write '%s' (a name holds ']', '=' or a line "
                             "break, or the file or its directory cannot be written)\n",
                     args[1].c_str());
        return 1;
    }
    return 0;
}

int RunDelete(const std::vector<std::string>& args)
{
    if (args.size() != 3 && args.size() != 4)
        return Usage("delete takes FILE SECTION [KEY]");
    if (!CheckResolvable(args[1], true))
        return 1;
    bool ok = args.size() == 4 ? dm::DeletePrivateProfileKey(args[2], args[3], args[1])
                               : dm::DeletePrivateProfileSection(args[2], args[1]);
    if (!ok) {
        std::fprintf(stderr, "dmctl ini: cannot change '%s'\n", args[1].c_str());
        return 1;
    }
    return 0;
}

int RunSections(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return Usage("sections takes FILE");
    if (!CheckResolvable(args[1]))
        return 1;
    PrintLines(dm::GetPrivateProfileSectionNames(args[1]));
    return 0;
}

int RunKeys(const std::vector<std::string>& args)
{
    if (args.size() != 3)
        return Usage("keys takes FILE SECTION");
    if (!CheckResolvable(args[1]))
        return 1;
    PrintLines(dm::GetPrivateProfileKeyNames(args[2], args[1]));
    return 0;
}

int RunIni(const std::vector<std::string>& args)
{
    if (args.empty())
        return Usage("a command is needed");
    if (dmctl::WantsHelp(args)) {
        std::printf("%s", kIniHelp);
        return 0;
    }
    const std::string& command = args[0];
    if (command == "get")
        return RunGet(args);
    if (command == "set")
        return RunSet(args);
    if (command == "delete")
        return RunDelete(args);
    if (command == "sections")
        return RunSections(args);
    if (command == "keys")
        return RunKeys(args);
    return Usage(("unknown command '" + command + "'").c_str());
}

dmctl::DmctlGroup ini("ini", "profile files: get, set, delete, sections, keys", RunIni);

} // namespace

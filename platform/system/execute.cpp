#include "platform/system/execute.h"

#include "common/text.h"
#include "platform/system/netbuiltin.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/registry/regeditformat.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace dm {

namespace {

// Program names without case and without ".exe".
std::string ProgramKey(std::string_view name)
{
    std::string key = LowerAscii(name);
    if (key.size() > 4 && key.compare(key.size() - 4, 4, ".exe") == 0)
        key.resize(key.size() - 4);
    return key;
}

struct Builtins {
    std::mutex mutex;
    std::map<std::string, BuiltinProgram> programs;
};

Builtins& TheBuiltins()
{
    static Builtins builtins;
    return builtins;
}

std::optional<BuiltinProgram> FindBuiltin(std::string_view name)
{
    const std::string key = ProgramKey(name);
    if (key == "net") {
        return BuiltinProgram([](const std::vector<CommandArgument>& args, std::string_view line, ShowMode) {
            return RunNetProgram(args, line);
        });
    }
    Builtins& builtins = TheBuiltins();
    std::lock_guard<std::mutex> lock(builtins.mutex);
    auto it = builtins.programs.find(key);
    if (it == builtins.programs.end())
        return std::nullopt;
    return it->second;
}

unsigned long WinErrorOfSpawn(int error, const std::string& program)
{
    switch (error) {
    case ENOENT: {
        const fs::path dir = fs::path(program).parent_path();
        std::error_code ec;
        if (!dir.empty() && !fs::is_directory(dir, ec))
            return winerr::PathNotFound;
        return winerr::FileNotFound;
    }
    case ENOTDIR: return winerr::PathNotFound;
    case EACCES:
    case EPERM: return winerr::AccessDenied;
    case ENOEXEC: return winerr::BadExeFormat;
    case ENOMEM:
    case EAGAIN: return winerr::NotEnoughMemory;
    default: return winerr::FileNotFound;
    }
}

// The program file as this machine names it: "C:\Tools\x.exe" through the
// path resolver, a POSIX path as it is, a bare name for the PATH search.
std::string ProgramPath(const std::string& name, bool& searchPath)
{
    searchPath = name.find_first_of("/\\:") == std::string::npos;
    if (searchPath || name[0] == '/')
        return name;
    ResolvedPath resolved = ResolvePath(name);
    return resolved.ok() ? resolved.path.string() : name;
}

int Spawn(const std::string& program, bool searchPath, const std::vector<std::string>& args,
          ShowMode show, pid_t& pid)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (show == ShowMode::Hidden) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    int error = searchPath
                    ? posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ)
                    : posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

unsigned long Start(std::string_view commandLine, ShowMode show, bool wait, int& exitCode)
{
    exitCode = 0;
    const auto parsed = ParseCommandLine(commandLine);
    if (parsed.empty() || parsed[0].text.empty())
        return winerr::InvalidParameter;
    const std::string& name = parsed[0].text;
    const std::string base = name.substr(name.find_last_of("/\\:") + 1);
    if (auto builtin = FindBuiltin(base); builtin && *builtin) {
        unsigned long error = (*builtin)(parsed, commandLine, show);
        exitCode = error == 0 ? 0 : 1;
        return error;
    }

    std::vector<std::string> args;
    for (const auto& a : parsed)
        args.push_back(a.text);
    bool searchPath = false;
    std::string program = ProgramPath(args[0], searchPath);
    pid_t pid = 0;
    int error = Spawn(program, searchPath, args, show, pid);
    if (error == ENOENT && program.size() > 4 && EndsWithNoCase(program, ".exe")) {
        program.resize(program.size() - 4);
        error = Spawn(program, searchPath, args, show, pid);
    }
    if (error != 0)
        return WinErrorOfSpawn(error, program);

    if (!wait) {
        // Nobody waits for it: reap it when it ends, so it leaves no zombie.
        std::thread([pid] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
        return winerr::Success;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return winerr::Success;
    }
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return winerr::Success;
}

} // namespace

void RegisterBuiltinProgram(std::string_view name, BuiltinProgram program)
{
    Builtins& builtins = TheBuiltins();
    std::lock_guard<std::mutex> lock(builtins.mutex);
    if (program)
        builtins.programs[ProgramKey(name)] = std::move(program);
    else
        builtins.programs.erase(ProgramKey(name));
}

unsigned long ExecuteCommand(std::string_view commandLine, ShowMode show)
{
    int exitCode = 0;
    return Start(commandLine, show, false, exitCode);
}

unsigned long ExecuteCommandAndWait(std::string_view commandLine, ShowMode show, int& exitCode)
{
    return Start(commandLine, show, true, exitCode);
}

unsigned int WinExec(std::string_view commandLine, unsigned int showCommand)
{
    switch (ExecuteCommand(commandLine, showCommand == SwHide ? ShowMode::Hidden : ShowMode::Shown)) {
    case winerr::Success: return 33;
    case winerr::FileNotFound: return 2;
    case winerr::PathNotFound: return 3;
    case winerr::BadExeFormat: return 11;
    default: return 0;
    }
}

} // namespace dm

#pragma once
// Starting programs from a command line, the way the system starts them.
//
// The command line is split into arguments (platform/system/commandline.h) and the
// program is started directly, never through a shell: no character of the
// text is interpreted by anything but the program. Some programs are built
// in because their work is in the emulated network:
//
// - "net" (also "net.exe"): net send and net share (platform/system/netbuiltin.h);
// - any program registered with RegisterBuiltinProgram (the help viewer is
//   registered by the windowed programs).
//
// Program names compare without regard to case and without ".exe". Any other
// program is looked up in PATH (a name with ".exe" is tried without it when
// it is not found) or, when it has a directory, taken from the path resolver.
// Hidden programs get /dev/null as standard input and output; shown ones
// share ours. Built-in programs run to completion before the call returns.

#include "platform/system/commandline.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

namespace winerr {
constexpr unsigned long NotSupported = 50;
constexpr unsigned long BadExeFormat = 193;
} // namespace winerr

enum class ShowMode { Hidden, Shown };

// A built-in program: the parsed arguments (the program name first) and the
// command line as given; returns a Windows error number.
using BuiltinProgram = std::function<unsigned long(const std::vector<CommandArgument>& args,
                                                   std::string_view commandLine, ShowMode show)>;

// Registers (or, with an empty function, removes) a built-in program by name
// ("winhlp32"). Thread-safe; a later registration replaces an earlier one.
void RegisterBuiltinProgram(std::string_view name, BuiltinProgram program);

// Starts the command and returns at once: 0 when it started (or, for a
// built-in, did its work), else the error number: 2 program not found,
// 3 its directory not found, 5 not executable, 193 not a program, 87 an
// empty command line. Started programs are reaped in the background.
unsigned long ExecuteCommand(std::string_view commandLine, ShowMode show = ShowMode::Hidden);

// The same, waiting for a started program to end; exitCode receives its exit
// status (128 + signal when killed; 0 for a built-in that succeeded).
unsigned long ExecuteCommandAndWait(std::string_view commandLine, ShowMode show, int& exitCode);

// The platform's call shape: showCommand 0 hides the program, any other
// value shows it. Returns a number above 31 when the program started,
// otherwise 0 (no resources), 2 (file not found), 3 (path not found) or
// 11 (not a program).
constexpr unsigned int SwHide = 0;
constexpr unsigned int SwShowNormal = 1;
unsigned int WinExec(std::string_view commandLine, unsigned int showCommand);

} // namespace dm

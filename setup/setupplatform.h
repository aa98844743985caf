#pragma once
// The two platform services setup reaches besides the registry and files:
// starting a program (never through a shell) and a service's state.

#include <string>
#include <string_view>

namespace dm {

// Starts the command line (split into arguments by the platform's quoting
// rules) without waiting for it. 0 or a Windows error number.
unsigned long RunCommandLine(std::string_view commandLine, bool shown);

// The current-state number of a service of the local computer (1 stopped,
// 4 running, 7 paused, ...). 0 or a Windows error number (1060: no such service).
unsigned long QueryLocalServiceState(std::string_view service, unsigned long& state);

} // namespace dm

#pragma once
// The subcommands of "dmctl net". Each registers itself with a static
// NetCommand object in whatever file it lives in, so the group can grow
// without touching the others:
//
//     static int RunAddPort(const std::vector<std::string>& args);
//     static dmctl::NetCommand addPort("add-port", "COMPUTER PORT [options]",
//                                      "add a RAS port to a computer", RunAddPort);
//
// A subcommand gets the arguments after its name (the group answers "dmctl
// net NAME --help" itself; a later "--help" reaches the subcommand, which
// reads its words with ReadNetWords). It prints results on stdout, errors on
// stderr, and returns the exit status.

#include "dmctl/arguments.h"

#include <functional>
#include <string>
#include <vector>

namespace dmctl {

using NetMain = std::function<int(const std::vector<std::string>& args)>;

class NetCommand {
public:
    NetCommand(std::string name, std::string usage, std::string summary, NetMain main);
};

struct NetCommandInfo {
    std::string name;
    std::string usage;   // the arguments, "COMPUTER on|off"
    std::string summary; // one line
    NetMain main;
};

// All subcommands, sorted by name.
const std::vector<NetCommandInfo>& NetCommands();

// Reads a subcommand's words (dmctl/arguments.h). False when the command is
// not to run: after printing its help (status 0) or an error (status 1).
bool ReadNetWords(const std::string& command, const std::vector<std::string>& raw,
                  const Syntax& syntax, Words& words, int& status);

// Prints "dmctl GROUP: WHAT: error N (ERROR_NAME)" on stderr; returns 2.
int FailWithWinError(const std::string& group, const std::string& what, unsigned long error);

} // namespace dmctl

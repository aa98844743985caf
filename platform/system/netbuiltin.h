#pragma once
// What the platform's "net" program does in the emulated network:
//
//   net send NAME TEXT        a pop-up message for a computer or a user
//   net share NAME=PATH       shares a directory of the local computer
//   net share NAME /delete    removes a share
//
// Pop-up messages are lines of messages.log:
//
//   <yyyy-mm-dd hh:mm:ss>\t<sender computer>\t<recipient>\t<text>
//
// in local time, fields separated by one tab, each line ending with LF and
// written with one call. A line break inside the text continues the message
// on the next line, which then begins with a tab (a message line never
// does), so no text can forge a message of its own.

#include "platform/system/commandline.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace dm {

// Delivers a message: to machines/NAME/messages.log when a computer is named
// NAME; else to the log of the computer where a RAS session of that user is
// connected (a port of its ras.ini whose User, or LogonDomain\User, equals
// NAME without regard to case); else to <root>/messages.log. deliveredTo
// (when given) receives the file. 0, or 5 when the file cannot be written.
unsigned long DeliverNetMessage(std::string_view recipient, std::string_view text,
                                std::filesystem::path* deliveredTo = nullptr);

// Enters or replaces a share in a computer's shares.ini ([Shares] NAME=PATH,
// PATH as the system writes it). 53 unknown computer, 87 a name that cannot
// be a share name, 5 when the file cannot be written.
unsigned long SetShare(std::string_view computer, std::string_view share, std::string_view path);
unsigned long RemoveShare(std::string_view computer, std::string_view share);

// Runs "net ..." given the parsed arguments and the command line they came
// from (net send takes its text from the command line as typed). 0 done;
// 87 a malformed command; 50 a net command the emulation does not know.
unsigned long RunNetProgram(const std::vector<CommandArgument>& args, std::string_view commandLine);

} // namespace dm

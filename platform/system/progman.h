#pragma once
// Program groups as a desktop's menu: the Program Manager's execute commands
// become freedesktop menu entries of the person's session.
//
//   [CreateGroup(NAME)]        a submenu NAME: $XDG_CONFIG_HOME/menus/
//                              applications-merged/dialminder-<slug>.menu and
//                              $XDG_DATA_HOME/desktop-directories/<same>.directory
//   [AddItem(COMMAND,TITLE)]   an entry of the current group:
//                              $XDG_DATA_HOME/applications/dialminder-<group>-<title>.desktop
//   [DeleteGroup(NAME)]        removes the submenu and its entries
//   [ShowGroup(...)] and others are accepted and change nothing.
//
// COMMAND is a command line of the system ("C:\Program Files\Dialmind\x.exe",
// quoted when it holds blanks); the entry starts the resolved program with
// the emulated network's DIALMIND_NETWORK (and DIALMIND_COMPUTERNAME when
// set), so that it runs where it was installed, or opens a document with the
// desktop's opener. Every file written is UTF-8: bytes of the Windows code
// page in a name or path become their letters. Every command received is also
// appended to machines/<LOCAL>/progman.log of the emulated network, so that
// what a program sent can be read back.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

class ProgmanConversation {
public:
    // Executes one command. 0, or 87 for a command that cannot be read.
    unsigned long Execute(std::string_view command);

private:
    std::string m_group;
};

// Every command received so far on this computer, oldest first.
std::vector<std::string> ReadProgmanCommands();

// Where the menu entries go.
std::filesystem::path DesktopApplicationsDir();
std::filesystem::path DesktopMenuMergeDir();
std::filesystem::path DesktopDirectoriesDir();
// File-name form of a title: lower case, runs of other characters as '-'.
std::string MenuSlug(std::string_view title);

} // namespace dm

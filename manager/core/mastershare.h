#pragma once
// Reading a monitored server's master share from its server component key,
// shared by the start-up discovery and the port refresh.

#include <string>
#include <string_view>

namespace dm {

enum class MasterShareResult {
    NotMaster,    // no Master value: the directory is left as it was
    Found,        // the directory was set to the server's MasterShare
    ShareMissing, // Master without a readable MasterShare
    Unreachable,  // the registry could not be opened
    NoComponent,  // the registry answers, the server component's key is not there
};

// Connects to "\\" + server and reads Software\Microsoft\Ras\AdminDLL.
MasterShareResult ReadMasterShare(std::string_view server, std::string& databaseDirectory);

} // namespace dm

#pragma once
// dmctl's command groups. Each group lives in its own file and registers
// itself with a static DmctlGroup object, so a new group is a new file and
// nothing else:
//
//     static int RunIni(const std::vector<std::string>& args);
//     static dmctl::DmctlGroup ini("ini", "profile files: get, set, delete, sections, keys", RunIni);
//
// A group gets the arguments after its name. It prints results on stdout,
// errors on stderr, and returns the exit status (0 success, non-zero failure).

#include <functional>
#include <string>
#include <vector>

namespace dmctl {

using GroupMain = std::function<int(const std::vector<std::string>& args)>;

class DmctlGroup {
public:
    DmctlGroup(std::string name, std::string summary, GroupMain main);
};

struct GroupInfo {
    std::string name;
    std::string summary;
    GroupMain main;
};

const std::vector<GroupInfo>& Groups();

// True when args holds "--help" or "-h".
bool WantsHelp(const std::vector<std::string>& args);

} // namespace dmctl

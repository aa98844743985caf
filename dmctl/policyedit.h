#pragma once
// dmctl policy show and dmctl policy set: the policy editors for scripts.

#include <string>
#include <vector>

namespace dmctl {

extern const char kPolicyEditHelp[];
// Each returns the exit status: 0 done, 1 the file could not be written,
// 2 wrong words or a refused value (nothing written).
int ShowPolicyCommand(const std::vector<std::string>& args);
int SetPolicyCommand(const std::vector<std::string>& args);

} // namespace dmctl

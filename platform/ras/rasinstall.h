#pragma once
// What "RAS is installed" means on a computer of the emulated network: its
// ras.ini exists (the RAS library and dmsim look for it) and its registry
// holds Software\Microsoft\Ras\CurrentVersion with MajorVersion (setup's
// check looks there). Whatever installs RAS calls MarkRasInstalled, so the
// two never disagree.

#include <string_view>

namespace dm {

// The registry side: creates the version key with MajorVersion "4" unless
// the key exists. Returns the registry's error number (0 on success).
unsigned long MarkRasInstalled(std::string_view computer);

} // namespace dm

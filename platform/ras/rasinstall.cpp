#include "platform/ras/rasinstall.h"

#include "platform/registry/registry.h"

namespace dm {

unsigned long MarkRasInstalled(std::string_view computer)
{
    RegKey hive, key;
    if (unsigned long error = RegOpenHive(computer, hive))
        return error;
    bool created = false;
    if (unsigned long error = hive.CreateKey("Software\\Microsoft\\Ras\\CurrentVersion", key, &created))
        return error;
    RegValue version;
    if (!created && key.QueryValue("MajorVersion", version) == 0)
        return 0;
    return key.SetString("MajorVersion", "4");
}

} // namespace dm

#include "platform/system/computersetup.h"

#include "platform/files/network.h"
#include "platform/files/profile.h"
#include "platform/registry/registry.h"

namespace fs = std::filesystem;

namespace dm {

bool IsValidComputerName(std::string_view name)
{
    while (name.size() >= 1 && name.front() == '\\')
        name.remove_prefix(1);
    if (name.empty() || name.size() > 15 || name == "." || name == "..")
        return false;
    for (char c : name) {
        if (static_cast<unsigned char>(c) <= 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
            return false;
    }
    return true;
}

fs::path PrepareComputer(std::string_view name)
{
    if (!IsValidComputerName(name))
        return {};
    const fs::path dir = Network::AddComputer(name);

    RegKey hive, key;
    if (RegOpenHive(name, hive) == 0) {
        bool created = false;
        if (hive.CreateKey("Software\\Microsoft\\Windows\\CurrentVersion", key, &created) == 0 && created)
            key.SetString("ProgramFilesDir", "C:\\Program Files");
        if (hive.CreateKey("System\\CurrentControlSet\\Services\\LanManServer\\Parameters", key, &created) == 0 &&
            created)
            key.SetMultiString("NullSessionShares", {"COMCFG", "DFS$"});
    }

    const std::string winIni = (Network::WindowsDir(name) / "win.ini").string();
    if (GetPrivateProfileString("windows", "device", "", winIni).empty())
        WritePrivateProfileString("windows", "device", DefaultPrinterDevice, winIni);
    return dir;
}

} // namespace dm

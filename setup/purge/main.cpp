// NT_PURGE.EXE: removes the Dialminder Manager (C) or the server component (S)
// that setup installed on this computer.

#include "setup/uninstaller.h"

#include <cctype>
#include <filesystem>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    // Called by the name it was started as: nt_purge in the build,
    // NT_PURGE.EXE in the Windows directory where setup put it.
    const std::string self = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "nt_purge";
    const std::string pad(self.size(), ' ');
    const std::string usage =
        "Usage: " + self + " C    remove the Dialminder Manager\n"
        "       " + pad + " S    remove the Dialminder server component\n"
        "Program files, registry values, uninstall entries, the share DM_NT_DB and the\n"
        "menu entries are removed; the database (Dialmind.hw, Dialmind.usr, LogData) is kept.\n";
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "/?")) {
        std::cout << usage;
        return 0;
    }
    if (argc != 2 || std::string(argv[1]).size() != 1) {
        std::cerr << usage;
        return 1;
    }
    const char what = static_cast<char>(std::toupper(static_cast<unsigned char>(argv[1][0])));
    int failures = 0;
    if (what == 'C')
        failures = dm::UninstallManager(std::cout);
    else if (what == 'S')
        failures = dm::UninstallServerComponent(std::cout);
    else {
        std::cerr << usage;
        return 1;
    }
    return failures == 0 ? 0 : 2;
}

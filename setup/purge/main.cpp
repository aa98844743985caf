// NT_PURGE.EXE: removes the Dialminder Manager (C) or the server component (S)
// that setup installed on this computer.

#include "setup/uninstaller.h"

#include <cctype>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    const std::string usage =
        "Usage: NT_PURGE.EXE C    remove the Dialminder Manager\n"
        "       NT_PURGE.EXE S    remove the Dialminder server component\n"
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

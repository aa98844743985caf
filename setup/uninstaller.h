#pragma once
// Removing what setup installed: the manager (argument C) or the server
// component (argument S). Files of the program, registry values, uninstall
// entries, the share and the menu entries go; the database (Dialmind.hw,
// Dialmind.usr, LogData) stays, because it is the administrator's data.

#include <iosfwd>

namespace dm {

// Each returns 0 when everything was removed, else the number of things that
// could not be removed; out receives one line per action.
int UninstallManager(std::ostream& out);
int UninstallServerComponent(std::ostream& out);

} // namespace dm

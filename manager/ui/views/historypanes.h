#pragma once
// Plugs the history pane (CLogView) and the history scope bar into the
// main frame's extensions. The pane loads the activity log first when none
// is loaded yet.

namespace dm {

struct ManagerExtensions;

void AddHistoryPanes(ManagerExtensions& extensions);

} // namespace dm

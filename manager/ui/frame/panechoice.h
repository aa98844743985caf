#pragma once
// Which view fills the right pane, by view mode and selected node kind:
//
//   mode      kind 0   kind 1        kind 2              kind 3
//   Status    intro    ports list    port status panel   users view
//   History   intro    history       history             history
//   Graphs    intro    usage graphs  usage graphs        usage graphs
//
// In the status mode a port selection whose port name is unset ("*") is
// shown as a server selection.

#include <string_view>

namespace dm {

enum class PaneKind { Intro, Ports, PortStatus, Users, History, Graphs };

PaneKind ChoosePane(int viewMode, int kind, std::string_view selectedPort);
// The panes whose data can be saved and printed (toolbar buttons 3 and 4).
bool PaneSavesData(PaneKind pane);
const char* PaneName(PaneKind pane);

} // namespace dm

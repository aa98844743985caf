#include "manager/ui/frame/panechoice.h"

#include "manager/core/selection.h"

namespace dm {

PaneKind ChoosePane(int viewMode, int kind, std::string_view selectedPort)
{
    if (kind == KindPort && viewMode == ModeStatus && selectedPort == "*")
        kind = KindServer;
    if (kind != KindServer && kind != KindPort && kind != KindAccount)
        return PaneKind::Intro;
    switch (viewMode) {
    case ModeHistory: return PaneKind::History;
    case ModeGraphs: return PaneKind::Graphs;
    default: break;
    }
    switch (kind) {
    case KindServer: return PaneKind::Ports;
    case KindPort: return PaneKind::PortStatus;
    default: return PaneKind::Users;
    }
}

bool PaneSavesData(PaneKind pane)
{
    return pane == PaneKind::Users || pane == PaneKind::History || pane == PaneKind::Graphs;
}

const char* PaneName(PaneKind pane)
{
    switch (pane) {
    case PaneKind::Intro: return "intro";
    case PaneKind::Ports: return "ports";
    case PaneKind::PortStatus: return "port status";
    case PaneKind::Users: return "users";
    case PaneKind::History: return "history";
    case PaneKind::Graphs: return "graphs";
    }
    return "";
}

} // namespace dm

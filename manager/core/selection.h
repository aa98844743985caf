#pragma once
// What the server tree has selected, as the document records it.

#include <string>

namespace dm {

// Node kinds of the tree selection.
enum NodeKind : int { KindNone = 0, KindServer = 1, KindPort = 2, KindAccount = 3 };
// View modes of the right pane.
enum ViewMode : int { ModeStatus = 0, ModeHistory = 1, ModeGraphs = 2 };

struct Selection {
    // Each "*" when not applicable.
    std::string server = "*";
    std::string port = "*";
    std::string user = "*";
    std::string domain = "*";
    std::string group = "*";
    int image = -1;                   // the selected node's image index
    bool accountsRootSelected = false;

    void Clear() { *this = Selection(); }
};

} // namespace dm

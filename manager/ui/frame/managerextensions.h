#pragma once
// The windows that later parts of the manager add: the users, history and
// graph panes, the property sheets, system settings, greetings, reports and
// the permission export and import. Each is a function the frame calls; the
// commands that open an unset one stay visible and disabled.

#include <functional>
#include <string>

class QWidget;

namespace dm {

class CDMDoc;

struct ManagerExtensions {
    // Right-pane views; each registers itself as an observer of the document.
    using PaneFactory = std::function<QWidget*(CDMDoc& doc, QWidget* parent)>;
    PaneFactory usersView;
    PaneFactory historyView;
    PaneFactory graphView;
    // The history scope bar shown below the history view.
    PaneFactory historyBar;

    using Dialog = std::function<void(QWidget* parent)>;
    Dialog systemSettings;
    Dialog greetings;
    Dialog reports;
    Dialog exportPermissions;
    Dialog importPermissions;
    Dialog defaultProperties;
    std::function<void(QWidget* parent, const std::string& port, const std::string& server)> portProperties;
    // Returns true when the sheet ended with OK.
    std::function<bool(QWidget* parent, const std::string& account)> userProperties;
    std::function<void(QWidget* parent, const std::string& domain, const std::string& group)> groupProperties;
    std::function<void(QWidget* parent, const std::string& server)> serverProperties;
    // The Capacity view of the servers selected in the tree.
    Dialog capacity;
    // Check Access for an account on a server's port; any may be empty.
    std::function<void(QWidget* parent, const std::string& account, const std::string& server,
                       const std::string& port)>
        checkAccess;
};

} // namespace dm

#pragma once
// The programs' artwork: one set of SVG drawings in a Qt resource, handed out
// as icons by the image numbers the windows use.

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace dm {

class Icons {
public:
    enum class PortCard { Idle, Session, Fault };
    enum class Tool { Disconnect, SendMessage, UserProperties, ResetStatistics };

    static QIcon Application();
    // The server tree's image indices: 0 servers root, 1 and 2 server, 3 port
    // without session, 4 port in session, 5 port fault, 6 accounts root, 7
    // accounts root selected, 8 user, 9 domain, 10 group, 12 default profile,
    // 13 no ports, 14 user without dial-in permission. Unknown: a null icon.
    static QIcon TreeImage(int index);
    static QIcon Card(PortCard state);
    // The port panel's four tool buttons in their active or inactive look.
    static QIcon ToolButton(Tool tool, bool active);
    // The frame's six toolbar buttons; 3 and 4 carry their own disabled image.
    static QIcon Toolbar(int index);
    // The network browser's pictures: 0 network, 1 domain, 2 server.
    static QIcon NetworkImage(int index);
    // The port panel's line tree: 0 adapter card, 1 red check mark,
    // 2 document, 3 person, 4 small arrow.
    static QIcon PanelImage(int index);
    // The history list's event icons: 5 connect, 6 hang up, 7 denied,
    // 14 disconnected; and the users list's: 2 account, 13 account over its
    // limits.
    static QIcon HistoryImage(int index);

    // Renders one drawing ("server.svg") at a pixel size; null when unknown.
    static QPixmap Render(const QString& name, int size, qreal devicePixelRatio = 1.0);
    // An icon holding the drawing at the usual sizes, and optionally a
    // separate drawing for the disabled state.
    static QIcon FromDrawing(const QString& name, const QString& disabledName = QString());
    static bool Exists(const QString& name);
};

} // namespace dm

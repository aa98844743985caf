#include "framework/icons.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

static void InitIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace {
QHash<QString, QIcon>& IconCache()
{
    static QHash<QString, QIcon> cache;
    return cache;
}
// Icons hold pixmaps, which must go before the application object does.
void ClearIconCache()
{
    IconCache().clear();
}
} // namespace

namespace dm {

namespace {

QString PathOf(const QString& name)
{
    static const bool initialised = [] {
        InitIconResources();
        return true;
    }();
    (void)initialised;
    return QStringLiteral(":/icons/") + name;
}

} // namespace

bool Icons::Exists(const QString& name)
{
    return !name.isEmpty() && QFile::exists(PathOf(name));
}

QPixmap Icons::Render(const QString& name, int size, qreal devicePixelRatio)
{
    if (!Exists(name))
        return QPixmap();
    QSvgRenderer renderer(PathOf(name));
    const int pixels = qRound(size * devicePixelRatio);
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon Icons::FromDrawing(const QString& name, const QString& disabledName)
{
    static const bool cleanupRegistered = [] {
        qAddPostRoutine(ClearIconCache);
        return true;
    }();
    (void)cleanupRegistered;
    QHash<QString, QIcon>& cache = IconCache();
    const QString key = name + QLatin1Char('|') + disabledName;
    if (auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QIcon icon;
    if (!Exists(name))
        return icon;
    for (int size : {16, 20, 24, 32, 48}) {
        icon.addPixmap(Render(name, size), QIcon::Normal);
        icon.addPixmap(Render(name, size, 2.0), QIcon::Normal);
        if (!disabledName.isEmpty()) {
            icon.addPixmap(Render(disabledName, size), QIcon::Disabled);
            icon.addPixmap(Render(disabledName, size, 2.0), QIcon::Disabled);
        }
    }
    cache.insert(key, icon);
    return icon;
}

QIcon Icons::Application()
{
    return FromDrawing(QStringLiteral("app.svg"));
}

QIcon Icons::TreeImage(int index)
{
    static const char* const names[] = {
        "servers.svg", "server.svg", "server.svg", "port-idle.svg", "port-session.svg",
        "port-fault.svg", "accounts.svg", "accounts-open.svg", "user.svg", "domain.svg",
        "group.svg", nullptr, "default-profile.svg", "no-ports.svg", "user-nodialin.svg"};
    if (index < 0 || index >= static_cast<int>(std::size(names)) || !names[index])
        return QIcon();
    return FromDrawing(QString::fromLatin1(names[index]));
}

QIcon Icons::Card(PortCard state)
{
    switch (state) {
    case PortCard::Idle: return TreeImage(3);
    case PortCard::Session: return TreeImage(4);
    case PortCard::Fault: return TreeImage(5);
    }
    return QIcon();
}

QIcon Icons::ToolButton(Tool tool, bool active)
{
    static const char* const names[] = {"tool-disconnect", "tool-message", "tool-userprops", "tool-reset"};
    const QString base = QString::fromLatin1(names[static_cast<int>(tool)]);
    return FromDrawing(base + (active ? QStringLiteral(".svg") : QStringLiteral("-off.svg")));
}

QIcon Icons::Toolbar(int index)
{
    switch (index) {
    case 0: return FromDrawing(QStringLiteral("tb-addserver.svg"));
    case 1: return FromDrawing(QStringLiteral("tb-settings.svg"));
    case 2: return FromDrawing(QStringLiteral("tb-greeting.svg"));
    case 3: return FromDrawing(QStringLiteral("tb-save.svg"), QStringLiteral("tb-save-off.svg"));
    case 4: return FromDrawing(QStringLiteral("tb-print.svg"), QStringLiteral("tb-print-off.svg"));
    case 5: return FromDrawing(QStringLiteral("tb-help.svg"));
    default: return QIcon();
    }
}

QIcon Icons::NetworkImage(int index)
{
    switch (index) {
    case 0: return FromDrawing(QStringLiteral("network.svg"));
    case 1: return FromDrawing(QStringLiteral("domain.svg"));
    case 2: return FromDrawing(QStringLiteral("server.svg"));
    default: return QIcon();
    }
}

QIcon Icons::PanelImage(int index)
{
    switch (index) {
    case 0: return FromDrawing(QStringLiteral("port-idle.svg"));
    case 1: return FromDrawing(QStringLiteral("check-red.svg"));
    case 2: return FromDrawing(QStringLiteral("document.svg"));
    case 3: return FromDrawing(QStringLiteral("user.svg"));
    case 4: return FromDrawing(QStringLiteral("arrow.svg"));
    default: return QIcon();
    }
}

QIcon Icons::HistoryImage(int index)
{
    switch (index) {
    case 2: return FromDrawing(QStringLiteral("user.svg"));
    case 5: return FromDrawing(QStringLiteral("ball-green.svg"));
    case 6: return FromDrawing(QStringLiteral("ball-grey.svg"));
    case 7: return FromDrawing(QStringLiteral("hand.svg"));
    case 13: return FromDrawing(QStringLiteral("user-alert.svg"));
    case 14: return FromDrawing(QStringLiteral("ball-red.svg"));
    default: return QIcon();
    }
}

} // namespace dm

// The server tree's context menus and the commands behind them.

#include "common/userinteraction.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/frame/managerextensions.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <cstdio>

namespace dm {

void CDMView::contextMenuEvent(QContextMenuEvent* event)
{
    QTreeWidgetItem* item = itemAt(event->pos());
    // Empty space: no menu, and the selection stays.
    if (!item)
        return;
    SelectNode(item);
    std::unique_ptr<QMenu> menu = CreateContextMenu(item);
    if (menu)
        menu->exec(event->globalPos());
}

std::unique_ptr<QMenu> CDMView::CreateContextMenu(QTreeWidgetItem* item)
{
    const int image = ImageOf(item);
    const bool database = m_doc.DatabaseAvailable();
    auto menu = std::make_unique<QMenu>(this);
    auto add = [&menu](const QString& text, bool enabled, auto slot) {
        QAction* action = menu->addAction(text);
        action->setEnabled(enabled);
        QObject::connect(action, &QAction::triggered, menu.get(), slot);
        return action;
    };
    switch (image) {
    case 0:
        if (item != m_serversRoot)
            return nullptr;
        add(QStringLiteral("Add Server..."), true, [this] { Q_EMIT addServerRequested(); });
        add(QStringLiteral("System Settings..."), database && m_extensions.systemSettings,
            [this] { m_extensions.systemSettings(window()); });
        add(QStringLiteral("Refresh"), true, [this] { m_doc.RefreshDocument(); });
        break;
    case 1: case 2:
        add(QStringLiteral("Add &Server..."), true, [this] { Q_EMIT addServerRequested(); });
        add(QStringLiteral("&Delete..."), CanDeleteServer(), [this] { DeleteSelectedServer(); });
        add(QStringLiteral("&Properties"), static_cast<bool>(m_extensions.serverProperties), [this, item] {
            m_extensions.serverProperties(window(), NameOf(item));
        });
        break;
    case 3: case 4: case 5:
        if (item->data(0, kPlaceholderRole).toBool())
            return nullptr;
        add(QStringLiteral("&Properties..."), database && m_extensions.portProperties,
            [this] { ShowPortProperties(); });
        add(QStringLiteral("Check &Access..."), database && m_extensions.checkAccess, [this] {
            const Selection& s = m_doc.CurrentSelection();
            m_extensions.checkAccess(window(), std::string(), s.server, s.port);
        });
        break;
    case 8: case 14:
        add(QStringLiteral("&Properties..."), database && m_extensions.userProperties,
            [this] { ShowUserProperties(); });
        add(QStringLiteral("Check &Access..."), database && m_extensions.checkAccess, [this] {
            const Selection& s = m_doc.CurrentSelection();
            m_extensions.checkAccess(window(), s.domain + "\\" + s.user, s.server, s.port);
        });
        break;
    case 10:
        add(QStringLiteral("&Properties"), static_cast<bool>(m_extensions.groupProperties), [this] {
            const Selection& s = m_doc.CurrentSelection();
            m_extensions.groupProperties(window(), s.domain, s.group);
        });
        break;
    case 12:
        add(QStringLiteral("&Properties..."), database && m_extensions.defaultProperties,
            [this] { m_extensions.defaultProperties(window()); });
        break;
    default:
        return nullptr;
    }
    return menu;
}

bool CDMView::CanDeleteServer() const
{
    const int image = ImageOf(currentItem());
    return m_built && (image == 1 || image == 2) && !currentItem()->data(0, kPlaceholderRole).toBool();
}

void CDMView::DeleteSelectedServer()
{
    if (!CanDeleteServer())
        return;
    const std::string server = NameOf(currentItem());
    char text[200];
    std::snprintf(text, sizeof text, "Do you really want to remove %s from the list of monitored servers?",
                  server.c_str());
    if (m_doc.Interaction().ShowMessage(text, kMessageCaption, Buttons::YesNo, Icon::Question) == Answer::No)
        return;
    // A registry failure is not reported; the reload shows what is left.
    m_doc.RemoveMonitoredServer(server);
    if (window())
        window()->update();
}

bool CDMView::CanShowProperties() const
{
    if (!m_built || !currentItem() || currentItem()->data(0, kPlaceholderRole).toBool())
        return false;
    const bool database = m_doc.DatabaseAvailable();
    switch (ImageOf(currentItem())) {
    case 3: case 4: case 5: return database && m_extensions.portProperties;
    case 8: case 14: return database && m_extensions.userProperties;
    case 10: return static_cast<bool>(m_extensions.groupProperties);
    case 12: return database && m_extensions.defaultProperties;
    default: return false;
    }
}

void CDMView::ShowProperties()
{
    if (!CanShowProperties())
        return;
    switch (ImageOf(currentItem())) {
    case 3: case 4: case 5: ShowPortProperties(); break;
    case 8: case 14: ShowUserProperties(); break;
    case 10: {
        const Selection& s = m_doc.CurrentSelection();
        m_extensions.groupProperties(window(), s.domain, s.group);
        break;
    }
    case 12: m_extensions.defaultProperties(window()); break;
    default: break;
    }
}

void CDMView::ShowPortProperties()
{
    const Selection& s = m_doc.CurrentSelection();
    m_extensions.portProperties(window(), s.port, s.server);
}

void CDMView::ShowUserProperties()
{
    const Selection& s = m_doc.CurrentSelection();
    if (!m_extensions.userProperties(window(), s.domain + "\\" + s.user))
        return;
    // The tree's walks and this save serialise on the document's mutex.
    m_doc.Lock();
    m_doc.SaveUserSettings();
    m_doc.Unlock();
}

} // namespace dm

#include "manager/ui/dialogs/addserverdialog.h"
#include "manager/ui/frame/helptopics.h"

#include "common/userinteraction.h"
#include "manager/core/messagecaption.h"
#include "framework/displaytext.h"
#include "framework/helpwindow.h"
#include "framework/icons.h"
#include "manager/core/networkenumerator.h"
#include "platform/system/namedevent.h"
#include "platform/files/network.h"
#include "platform/registry/registry.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace dm {

CAddServerDialog::CAddServerDialog(UserInteraction& ui, std::string serverListKey, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_serverListKey(std::move(serverListKey))
{
    setWindowTitle(QStringLiteral("Add Server"));
    // No Help button here; F1 opens the page.
    CHelpWindow::SetWindowHelp(this, helptopic::AddServer);
    auto* layout = new QVBoxLayout(this);
    auto* serverLabel = new QLabel(QStringLiteral("&Server:"), this);
    m_server = new QLineEdit(this);
    serverLabel->setBuddy(m_server);
    auto* networkLabel = new QLabel(QStringLiteral("&Network:"), this);
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_tree->setIconSize(QSize(18, 18));
    m_tree->setMinimumSize(360, 260);
    networkLabel->setBuddy(m_tree);
    auto* buttons = new QDialogButtonBox(this);
    m_add = buttons->addButton(QStringLiteral("&Add"), QDialogButtonBox::ActionRole);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    m_add->setEnabled(false);
    m_add->setDefault(true);
    layout->addWidget(serverLabel);
    layout->addWidget(m_server);
    layout->addWidget(networkLabel);
    layout->addWidget(m_tree, 1);
    layout->addWidget(buttons);
    CHelpWindow::InstallWhatsThis(m_server, 14);
    CHelpWindow::InstallWhatsThis(m_tree, 15);

    connect(m_server, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_add->setEnabled(!text.isEmpty()); });
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &CAddServerDialog::OnCurrentItemChanged);
    connect(m_add, &QPushButton::clicked, this, &CAddServerDialog::AddServer);
    connect(close, &QPushButton::clicked, this, &CAddServerDialog::reject);
    QTimer::singleShot(kStartDelayMs, this, &CAddServerDialog::StartEnumeration);
}

CAddServerDialog::~CAddServerDialog()
{
    StopWorker();
}

void CAddServerDialog::StopWorker()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
    m_running = false;
}

void CAddServerDialog::reject()
{
    // "Close" stops the walk at once.
    StopWorker();
    QDialog::reject();
}

void CAddServerDialog::StartEnumeration()
{
    if (m_running || m_worker.joinable())
        return;
    m_done = std::make_unique<NamedEvent>("EnumNetDone", /*manualReset=*/true, /*initiallySet=*/false);
    m_done->Reset();
    m_running = true;
    m_stop = false;
    m_tree->setEnabled(false);
    // The worker reaches the widgets only through queued calls, which die
    // with the dialog if it goes first.
    QPointer<CAddServerDialog> self(this);
    m_worker = std::thread([this, self] {
        NetworkEnumerator::Enumerate(
            [this](const NetworkNode& node) {
                const std::string name = node.name;
                const int depth = node.depth;
                const int picture = node.picture;
                QMetaObject::invokeMethod(
                    this, [this, depth, name, picture] { InsertNode(depth, name, picture); },
                    Qt::QueuedConnection);
            },
            &m_stop);
        m_done->Set();
        QMetaObject::invokeMethod(this, [this] { FinishEnumeration(); }, Qt::QueuedConnection);
    });
}

void CAddServerDialog::InsertNode(int depth, const std::string& name, int picture)
{
    // Each node goes under the node last inserted one level up.
    QTreeWidgetItem* parent = depth > 0 && depth <= static_cast<int>(m_lastAtDepth.size())
                                  ? m_lastAtDepth[static_cast<size_t>(depth - 1)]
                                  : nullptr;
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setText(0, DisplayText(name));
    item->setData(0, Qt::UserRole, picture);
    item->setData(0, kStoredNameRole, StoredName(name));
    item->setIcon(0, Icons::NetworkImage(picture));
    if (parent)
        parent->setExpanded(true);
    m_lastAtDepth.resize(static_cast<size_t>(depth) + 1);
    m_lastAtDepth[static_cast<size_t>(depth)] = item;
}

void CAddServerDialog::FinishEnumeration()
{
    if (m_worker.joinable())
        m_worker.join();
    m_running = false;
    m_tree->setEnabled(true);
    if (m_tree->topLevelItemCount() > 0)
        m_tree->scrollToItem(m_tree->topLevelItem(0));
    Q_EMIT enumerationFinished();
}

void CAddServerDialog::OnCurrentItemChanged(QTreeWidgetItem* current)
{
    if (current && current->data(0, Qt::UserRole).toInt() == NetworkNode::Server) {
        m_chosenName = StoredNameOf(current->data(0, kStoredNameRole), current->text(0));
        m_server->setText(current->text(0));
    }
}

void CAddServerDialog::AddServer()
{
    // A name chosen in the tree is added as the network stores it.
    const QString typed = m_server->text().trimmed();
    std::string name = NetworkEnumerator::StripBackslashes(
        !m_chosenName.empty() && typed == DisplayText(m_chosenName) ? m_chosenName : typed.toStdString());
    if (name.empty())
        return;
    // A backslash inside the name would create a key below another server.
    unsigned long error = name.find('\\') != std::string::npos ? winerr::InvalidName : 0;
    RegKey hive;
    RegKey key;
    if (error == 0)
        error = RegOpenLocalMachine(hive);
    if (error == 0)
        error = hive.CreateKey(m_serverListKey + "\\" + name, key);
    char text[400];
    if (error != 0) {
        std::snprintf(text, sizeof text,
                      "%s could not be added to the list of monitored RAS Servers.\nThe Error is %lu",
                      name.c_str(), error);
        m_ui.ShowMessage(text, kMessageCaption, Buttons::Ok, Icon::Error);
        return;
    }
    std::snprintf(text, sizeof text, "%s was successfully added to the list of monitored RAS Servers.",
                  name.c_str());
    m_ui.ShowMessage(text, kMessageCaption, Buttons::Ok, Icon::Information);
    m_added = true;
}

} // namespace dm

#include "manager/ui/dialogs/allowedgroupsdialog.h"
#include "manager/ui/frame/helptopics.h"

#include "common/userinteraction.h"
#include "framework/displaytext.h"
#include "framework/helpwindow.h"
#include "framework/icons.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dm {

namespace {

constexpr int kKindRole = Qt::UserRole;

} // namespace

QIcon AccountKindIcon(char kind)
{
    switch (kind) {
    case 'U': return Icons::FromDrawing(QStringLiteral("user.svg"));
    case 'L': return Icons::FromDrawing(QStringLiteral("local-group.svg"));
    default: return Icons::FromDrawing(QStringLiteral("group.svg"));
    }
}

CAllowedGroupsDialog::CAllowedGroupsDialog(UserInteraction& ui, NetworkBrowsing& network, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_network(network)
{
    setWindowTitle(QStringLiteral("Add Allowed Groups"));
    CHelpWindow::SetWindowHelp(this, helptopic::AllowedGroups);
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    auto* from = new QLabel(QStringLiteral("&List groups from:"), this);
    m_domainBox = new QComboBox(this);
    m_domainBox->setMinimumWidth(200);
    from->setBuddy(m_domainBox);
    auto* fromRow = new QHBoxLayout;
    fromRow->addWidget(from);
    fromRow->addWidget(m_domainBox, 1);
    layout->addLayout(fromRow);

    auto* available = new QLabel(QStringLiteral("A&vailable groups"), this);
    m_list = new QTreeWidget(this);
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QStringLiteral("Accounts")});
    m_list->header()->resizeSection(0, 160);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setIconSize(QSize(16, 16));
    m_list->setMinimumHeight(220);
    available->setBuddy(m_list);
    layout->addWidget(available);
    layout->addWidget(m_list, 1);

    auto* buttons = new QDialogButtonBox(this);
    m_add = buttons->addButton(QStringLiteral("&Add"), QDialogButtonBox::AcceptRole);
    m_close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    m_add->setEnabled(false);
    m_add->setDefault(true);
    layout->addWidget(buttons);
    resize(340, 460);

    CHelpWindow::InstallWhatsThis(m_domainBox, 40);
    CHelpWindow::InstallWhatsThis(m_list, 41);

    connect(m_add, &QPushButton::clicked, this, &CAllowedGroupsDialog::OnAdd);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CAllowedGroupsDialog::OnSelectionChanged);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CAllowedGroupsDialog::OnAdd);
    connect(m_domainBox, &QComboBox::activated, this, [this] { ListAccounts(); });

    // The network is browsed once the dialog is on screen, so that it shows
    // at once however slow the network answers.
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(500);
    connect(m_timer, &QTimer::timeout, this, &CAllowedGroupsDialog::OnTimer);
    m_timer->start();
}

void CAllowedGroupsDialog::OnTimer()
{
    m_timer->stop();
    {
        WaitCursor wait(m_ui);
        m_domains = ListNetworkDomains(m_network, m_ui);
    }
    m_domainBox->clear();
    for (const std::string& domain : m_domains)
        m_domainBox->addItem(DisplayText(domain), StoredName(domain));
    if (m_domainBox->count() > 0)
        m_domainBox->setCurrentIndex(0);
    ListAccounts();
}

void CAllowedGroupsDialog::ListAccounts()
{
    m_add->setEnabled(false);
    WaitCursor wait(m_ui);
    m_list->clear();
    if (m_domainBox->currentText().isEmpty())
        return;
    const std::string domain = StoredNameOf(m_domainBox->currentData(), m_domainBox->currentText());
    for (const AccountChoice& choice : ListDomainAccounts(domain)) {
        auto* item = new QTreeWidgetItem(m_list, {DisplayText(choice.name)});
        item->setData(0, kStoredNameRole, StoredName(choice.name));
        item->setIcon(0, AccountKindIcon(choice.kind));
        item->setData(0, kKindRole, QChar::fromLatin1(choice.kind));
    }
}

void CAllowedGroupsDialog::OnSelectionChanged()
{
    m_add->setEnabled(!m_list->selectedItems().isEmpty());
}

void CAllowedGroupsDialog::OnAdd()
{
    m_result.clear();
    // In list order, whatever order the entries were selected in.
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        if (!item->isSelected())
            continue;
        m_result.push_back(std::string(1, item->data(0, kKindRole).toChar().toLatin1()) +
                           StoredNameOf(item->data(0, kStoredNameRole), item->text(0)));
    }
    if (m_result.empty())
        return;
    m_source = StoredNameOf(m_domainBox->currentData(), m_domainBox->currentText());
    accept();
}

} // namespace dm

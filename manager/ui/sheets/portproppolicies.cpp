#include "manager/ui/sheets/portproppolicies.h"

#include "framework/displaytext.h"
#include "framework/helpwindow.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/savechecks.h"
#include "manager/core/messagecaption.h"
#include "manager/ui/dialogs/allowedgroupsdialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dm {

namespace {

constexpr int kKindRole = Qt::UserRole;

bool RunAllowedGroupsDialog(CDMDoc& doc, QWidget* parent, std::vector<std::string>& result,
                            std::string& source)
{
    CAllowedGroupsDialog dialog(doc.Interaction(), NetworkBrowsing::System(), parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    result = dialog.Result();
    source = dialog.Source();
    return true;
}

} // namespace

CPortPropPolicies::CPortPropPolicies(CDMDoc& doc, std::string port, std::string server, QWidget* parent)
    : CPropertyPage(QStringLiteral("Permissions"), parent), m_doc(doc), m_port(std::move(port)),
      m_server(std::move(server))
{
    m_chooser = [this](QWidget* parent, std::vector<std::string>& result, std::string& source) {
        return RunAllowedGroupsDialog(m_doc, parent, result, source);
    };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(10);
    m_only = new QCheckBox(QStringLiteral("&Only allow these local and global groups"), this);
    layout->addWidget(m_only);

    auto* row = new QHBoxLayout;
    m_list = new QTreeWidget(this);
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QStringLiteral("Accounts")});
    m_list->header()->resizeSection(0, 195);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setIconSize(QSize(16, 16));
    row->addWidget(m_list, 1);
    auto* buttons = new QVBoxLayout;
    m_add = new QPushButton(QStringLiteral("&Add..."), this);
    m_remove = new QPushButton(QStringLiteral("&Remove"), this);
    buttons->addWidget(m_add);
    buttons->addWidget(m_remove);
    buttons->addStretch(1);
    row->addLayout(buttons);
    layout->addLayout(row, 1);

    CHelpWindow::InstallWhatsThis(m_only, 37);
    CHelpWindow::InstallWhatsThis(m_list, 38);
    CHelpWindow::InstallWhatsThis(m_add, 39);
    CHelpWindow::InstallWhatsThis(m_remove, 59);

    connect(m_only, &QCheckBox::clicked, this, &CPortPropPolicies::OnOnlyClicked);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CPortPropPolicies::EnableControls);
    connect(m_add, &QPushButton::clicked, this, &CPortPropPolicies::OnAdd);
    connect(m_remove, &QPushButton::clicked, this, &CPortPropPolicies::OnRemove);
    EnableControls();
}

void CPortPropPolicies::OnInitPage()
{
    m_shown = m_doc.Hardware().ReadPortAccessLists(m_server, m_port);
    const PortAccessLists& lists = m_shown;
    m_only->setChecked(!lists.allowedUsers.empty() || !lists.allowedGroups.empty());
    for (const AllowedAccount& account : ParseAllowedAccounts(lists))
        AddEntry(account);
    EnableControls();
}

void CPortPropPolicies::AddEntry(const AllowedAccount& account)
{
    auto* item = new QTreeWidgetItem(m_list, {DisplayText(account.name)});
    item->setData(0, kStoredNameRole, StoredName(account.name));
    item->setIcon(0, AccountKindIcon(static_cast<char>(account.kind)));
    item->setData(0, kKindRole, QChar::fromLatin1(static_cast<char>(account.kind)));
}

std::vector<AllowedAccount> CPortPropPolicies::Entries() const
{
    std::vector<AllowedAccount> entries;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = m_list->topLevelItem(i);
        AllowedAccount account;
        account.kind = AccountKindFromLetter(item->data(0, kKindRole).toChar().toLatin1())
                           .value_or(AllowedAccount::GlobalGroup);
        account.name = StoredNameOf(item->data(0, kStoredNameRole), item->text(0));
        entries.push_back(std::move(account));
    }
    return entries;
}

void CPortPropPolicies::EnableControls()
{
    const bool on = m_only->isChecked();
    m_list->setEnabled(on);
    m_add->setEnabled(on);
    m_remove->setEnabled(on && !m_list->selectedItems().isEmpty());
}

void CPortPropPolicies::OnOnlyClicked()
{
    m_list->clearSelection();
    EnableControls();
    SetModified();
}

void CPortPropPolicies::OnAdd()
{
    std::vector<std::string> result;
    std::string source;
    if (!m_chooser || !m_chooser(this, result, source))
        return;
    AddChosen(result, source);
}

void CPortPropPolicies::AddChosen(const std::vector<std::string>& result, const std::string& source)
{
    m_source = source;
    std::vector<AllowedAccount> entries = Entries();
    for (const std::string& chosen : result) {
        const auto kind = chosen.empty() ? std::nullopt : AccountKindFromLetter(chosen.front());
        if (!kind)
            continue;
        SetModified();
        AllowedAccount account{*kind, source + "\\" + chosen.substr(1)};
        if (!StorableAccountName(account.name)) {
            m_doc.Interaction().ShowMessage("The name " + account.name +
                                                " contains a semicolon (;) and cannot be added to the list.",
                                            kMessageCaption, Buttons::Ok, Icon::Warning);
            continue;
        }
        if (ContainsAccount(entries, account.name))
            continue;
        AddEntry(account);
        entries.push_back(std::move(account));
    }
}

void CPortPropPolicies::OnRemove()
{
    qDeleteAll(m_list->selectedItems());
    m_remove->setEnabled(false);
    SetModified();
}

bool CPortPropPolicies::OnApply()
{
    // A cleared check box saves two empty lists.
    if (!m_only->isChecked())
        m_list->clear();
    const PortAccessLists edited = FormatAllowedAccounts(Entries());
    if (!m_doc.Hardware().SaveAccessListChanges(m_server, m_port, m_shown, edited))
        return ReportSaveFailure(m_doc, m_doc.Hardware().File());
    m_shown = edited;
    return true;
}

} // namespace dm

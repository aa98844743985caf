#include "manager/ui/sheets/userpages.h"
#include "framework/displaytext.h"

#include "framework/helpwindow.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/savechecks.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dm {

CUserPropGeneral::CUserPropGeneral(CDMDoc& doc, std::string account, QWidget* parent)
    : CPropertyPage(QStringLiteral("General"), parent), m_doc(doc), m_account(std::move(account))
{
    SetWantsContextHelp(true);
    m_list = new QTreeWidget(this);
    m_list->setHeaderLabels({QStringLiteral("Data"), QStringLiteral("Value")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setSectionResizeMode(QHeaderView::Stretch);
    m_list->setMinimumHeight(150);
    m_reset = new QPushButton(QStringLiteral("Reset"), this);
    m_reset->setEnabled(false);
    m_multiple = new QCheckBox(
        QStringLiteral("Allow user account to connect to more than one port simultaneously."), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_reset);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_multiple);
    CHelpWindow::InstallWhatsThis(m_list, 62);
    CHelpWindow::InstallWhatsThis(m_multiple, 50);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        std::vector<int> rows;
        for (QTreeWidgetItem* item : m_list->selectedItems())
            rows.push_back(m_list->indexOfTopLevelItem(item));
        m_reset->setEnabled(CanResetStatistics(rows));
    });
    connect(m_reset, &QPushButton::clicked, this, &CUserPropGeneral::ResetSelected);
    connect(m_multiple, &QCheckBox::clicked, this, [this](bool checked) {
        m_doc.EditRecord().noDuplicate = !checked;
        SetModified();
    });
}

void CUserPropGeneral::OnInitPage()
{
    m_new = BeginUserEdit(m_doc.Users(), m_account);
    FillStatistics();
    m_multiple->setChecked(!m_doc.EditRecord().noDuplicate);
}

void CUserPropGeneral::showEvent(QShowEvent* event)
{
    CPropertyPage::showEvent(event);
    // Reset waits for a fresh choice of rows each time the page comes back.
    m_reset->setEnabled(false);
}

void CUserPropGeneral::FillStatistics()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    std::vector<int> rows;
    for (QTreeWidgetItem* item : selected)
        rows.push_back(m_list->indexOfTopLevelItem(item));
    m_list->clear();
    for (const UserStatistic& statistic : UserStatistics(m_doc.EditRecord()))
        m_list->addTopLevelItem(new QTreeWidgetItem(
            {DisplayText(statistic.label), DisplayText(statistic.value)}));
    for (int row : rows)
        m_list->topLevelItem(row)->setSelected(true);
}

void CUserPropGeneral::ResetSelected()
{
    for (QTreeWidgetItem* item : m_list->selectedItems())
        ResetStatistic(m_doc.EditRecord(), m_list->indexOfTopLevelItem(item));
    FillStatistics();
    SetModified();
}

bool CUserPropGeneral::OnApply()
{
    if (!m_doc.CommitEditedUser())
        return ReportSaveFailure(m_doc, m_doc.Users().File());
    return true;
}

} // namespace dm

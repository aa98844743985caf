#include "manager/ui/sheets/optionshistoryview.h"

#include "framework/helpwindow.h"
#include "manager/core/dmdoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dm {

namespace {
const char* const kColumnNames[] = {"Time", "Server", "Port", "Action", "Information", "User Account",
                                    "IP Address", "NetBIOS Name", "IPX Node Name", "Session Lasted"};
}

COptionsHistoryView::COptionsHistoryView(CDMDoc& doc, QWidget* parent)
    : CPropertyPage(QStringLiteral("History View"), parent), m_doc(doc)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(12);

    auto* format = new QGroupBox(QStringLiteral("Elapsed time"), this);
    auto* formatLayout = new QHBoxLayout(format);
    m_clock = new QRadioButton(QStringLiteral("hh:mm:ss"), format);
    m_seconds = new QRadioButton(QStringLiteral("seconds"), format);
    formatLayout->addWidget(m_clock);
    formatLayout->addWidget(m_seconds);
    formatLayout->addStretch(1);
    layout->addWidget(format);

    auto* columns = new QGroupBox(QStringLiteral("Displayed columns"), this);
    auto* grid = new QGridLayout(columns);
    for (int i = 0; i < kColumns; ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(kColumnNames[i]), columns);
        m_columns[static_cast<size_t>(i)] = box;
        grid->addWidget(box, i % 5, i / 5);
        CHelpWindow::InstallWhatsThis(box, 73);
        connect(box, &QCheckBox::clicked, this, [this] { SetModified(); });
    }
    m_columns[0]->setEnabled(false);
    layout->addWidget(columns);

    auto* scopeRow = new QHBoxLayout;
    auto* scopeLabel = new QLabel(QStringLiteral("&Amount of records to be displayed:"), this);
    m_scope = new QComboBox(this);
    m_scope->addItems({QStringLiteral("1 Day"), QStringLiteral("7 Days"), QStringLiteral("30 Days"),
                       QStringLiteral("All")});
    scopeLabel->setBuddy(m_scope);
    scopeRow->addWidget(scopeLabel);
    scopeRow->addWidget(m_scope);
    scopeRow->addStretch(1);
    layout->addLayout(scopeRow);
    layout->addStretch(1);

    CHelpWindow::InstallWhatsThis(m_clock, 72);
    CHelpWindow::InstallWhatsThis(m_seconds, 72);
    CHelpWindow::InstallWhatsThis(m_scope, 75);
    CHelpWindow::InstallWhatsThis(format, 73);
    connect(m_clock, &QRadioButton::clicked, this, [this] { SetModified(); });
    connect(m_seconds, &QRadioButton::clicked, this, [this] { SetModified(); });
    connect(m_scope, qOverload<int>(&QComboBox::activated), this, [this] { SetModified(); });
}

int COptionsHistoryView::ColumnMask() const
{
    int mask = 1;
    for (int i = 1; i < kColumns; ++i)
        if (m_columns[static_cast<size_t>(i)]->isChecked())
            mask |= 1 << i;
    return mask;
}

void COptionsHistoryView::OnInitPage()
{
    const ManagerSettings& settings = m_doc.Settings();
    m_columns[0]->setChecked(true);
    for (int i = 1; i < kColumns; ++i)
        m_columns[static_cast<size_t>(i)]->setChecked((settings.historyViewColumns & (1 << i)) != 0);
    (settings.historyViewSeconds ? m_seconds : m_clock)->setChecked(true);
    const int scope = m_doc.BrowseScope();
    m_scope->setCurrentIndex(scope >= 1 && scope <= 4 ? scope - 1 : 0);
}

bool COptionsHistoryView::OnApply()
{
    ManagerSettings& settings = m_doc.Settings();
    const bool seconds = m_seconds->isChecked();
    const int mask = ColumnMask();
    const bool changed = seconds != settings.historyViewSeconds || mask != settings.historyViewColumns;
    settings.historyViewSeconds = seconds;
    settings.historyViewColumns = mask;
    const int scope = m_scope->currentIndex() + 1;
    if (scope != m_doc.BrowseScope()) {
        m_doc.SetBrowseScope(scope);
        m_doc.SetLogReloadNeeded(true);
        m_doc.UpdateAllViews(nullptr, hint::HistoryOptionsChanged);
    } else if (changed) {
        m_doc.UpdateAllViews(nullptr, hint::HistoryOptionsChanged);
    }
    return true;
}

} // namespace dm

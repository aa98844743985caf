#include "manager/ui/sheets/servermaint.h"

#include "framework/displaytext.h"
#include "framework/helpwindow.h"
#include "framework/icons.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/systemsettingssheet.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QWidget>

namespace dm {

CServerMaint::CServerMaint(CDMDoc& doc, QWidget* parent)
    : CPropertyPage(QStringLiteral("Server Maintenance"), parent), m_doc(doc)
{
    SetHelpTopic(kSystemSettingsHelp);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setHorizontalSpacing(18);
    layout->setVerticalSpacing(8);

    auto* listLabel = new QLabel(QStringLiteral("&Installed Dialminder Servers"), this);
    m_list = new QListWidget(this);
    m_list->setIconSize(QSize(20, 20));
    m_list->setMinimumWidth(180);
    listLabel->setBuddy(m_list);
    layout->addWidget(listLabel, 0, 0);
    layout->addWidget(m_list, 1, 0, 6, 1);

    auto* shareLabel = new QLabel(QStringLiteral("Master Server &share:"), this);
    m_share = new QLineEdit(this);
    m_share->setMaxLength(599);
    shareLabel->setBuddy(m_share);
    auto* versionLabel = new QLabel(QStringLiteral("Software version:"), this);
    m_version = new QLabel(this);
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // The master flag is shown by the component itself; its radio pair is
    // kept on the page, but hidden.
    auto* masterRow = new QWidget(this);
    auto* masterLayout = new QHBoxLayout(masterRow);
    masterLayout->setContentsMargins(0, 0, 0, 0);
    masterLayout->addWidget(new QLabel(QStringLiteral("Master Server:"), masterRow));
    m_yes = new QRadioButton(QStringLiteral("Yes"), masterRow);
    m_no = new QRadioButton(QStringLiteral("No"), masterRow);
    auto* group = new QButtonGroup(masterRow);
    group->addButton(m_yes);
    group->addButton(m_no);
    masterLayout->addWidget(m_yes);
    masterLayout->addWidget(m_no);
    masterLayout->addStretch(1);
    masterRow->hide();

    auto* note = new QLabel(QStringLiteral("Select a server to read the settings of its Dialminder server "
                                           "component. A changed share is written to the server when you "
                                           "select the next server or apply."),
                            this);
    note->setWordWrap(true);
    QPalette muted = note->palette();
    muted.setColor(QPalette::WindowText, muted.color(QPalette::PlaceholderText));
    note->setPalette(muted);

    layout->addWidget(shareLabel, 1, 1);
    layout->addWidget(m_share, 2, 1);
    layout->addWidget(versionLabel, 3, 1);
    layout->addWidget(m_version, 4, 1);
    layout->addWidget(masterRow, 5, 1);
    layout->addWidget(note, 6, 1, Qt::AlignBottom);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(6, 1);

    CHelpWindow::InstallWhatsThis(m_list, 21);
    CHelpWindow::InstallWhatsThis(m_share, 22);
    CHelpWindow::InstallWhatsThis(m_version, 23);
    connect(m_list, &QListWidget::currentRowChanged, this, &CServerMaint::SelectServer);
    connect(m_share, &QLineEdit::textEdited, this, &CServerMaint::MarkChanged);
    connect(m_yes, &QRadioButton::clicked, this, &CServerMaint::MarkChanged);
    connect(m_no, &QRadioButton::clicked, this, &CServerMaint::MarkChanged);
}

void CServerMaint::OnInitPage()
{
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    const QIcon icon = Icons::TreeImage(1);
    for (const ServerEntry& server : m_doc.Servers()) {
        auto* item = new QListWidgetItem(icon, DisplayText(server.name));
        item->setData(kStoredNameRole, StoredName(server.name));
        m_list->addItem(item);
    }
    m_list->setCurrentRow(-1);
    ClearFields();
    m_pending = false;
}

void CServerMaint::ClearFields()
{
    m_share->clear();
    m_share->setEnabled(false);
    m_version->clear();
    m_version->setEnabled(false);
    m_yes->setAutoExclusive(false);
    m_yes->setChecked(false);
    m_no->setChecked(false);
    m_yes->setAutoExclusive(true);
    m_yes->setEnabled(false);
    m_no->setEnabled(false);
}

void CServerMaint::MarkChanged()
{
    m_pending = true;
    SetModified();
}

bool CServerMaint::WritePending()
{
    if (!m_pending)
        return true;
    m_pending = false;
    return m_doc.Remote().WriteComponentSettings(m_yes->isChecked(), EditedText(m_shownShare, m_share->text()));
}

void CServerMaint::SelectServer(int row)
{
    if (row < 0 || row >= m_list->count())
        return;
    WritePending();
    ComponentSettings settings;
    const QListWidgetItem* item = m_list->item(row);
    if (!m_doc.Remote().ReadComponentSettings(StoredNameOf(item->data(kStoredNameRole), item->text()), settings)) {
        m_doc.Interaction().Beep(200, 100);
        ClearFields();
        return;
    }
    m_share->setEnabled(true);
    m_version->setEnabled(true);
    m_yes->setEnabled(true);
    m_no->setEnabled(true);
    m_shownShare = settings.share;
    m_share->setText(DisplayText(settings.share));
    m_version->setText(QString::fromStdString(settings.version));
    (settings.master ? m_yes : m_no)->setChecked(true);
}

bool CServerMaint::OnApply()
{
    WritePending();
    return true;
}

} // namespace dm

#include "manager/ui/dialogs/logfilesdialog.h"
#include "manager/ui/frame/helptopics.h"

#include "framework/displaytext.h"
#include "framework/helpwindow.h"
#include "framework/icons.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace dm {

namespace {
constexpr int kSizeColumnWidth = 100;
}

CLogFilesDialog::CLogFilesDialog(CDMDoc& doc, int fileCount, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_fileCount(fileCount)
{
    setWindowTitle(QStringLiteral("Dialminder Log Files"));
    CHelpWindow::SetWindowHelp(this, helptopic::LogFiles);
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Select the log files to delete. Deleted days no longer appear in "
                                            "the history, the graphs or the reports."),
                             this);
    intro->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels({QStringLiteral("Log Files"), QStringLiteral("Size (Bytes)")});
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->resizeSection(1, kSizeColumnWidth);
    m_list->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    m_list->setMinimumSize(360, 260);

    auto* buttons = new QDialogButtonBox(this);
    m_delete = buttons->addButton(QStringLiteral("&Delete"), QDialogButtonBox::ActionRole);
    m_help = buttons->addButton(QDialogButtonBox::Help);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    close->setDefault(true);
    m_delete->setEnabled(false);
    layout->addWidget(intro);
    layout->addWidget(m_list, 1);
    layout->addWidget(buttons);

    connect(m_list, &QTreeWidget::itemSelectionChanged, this,
            [this] { m_delete->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_delete, &QPushButton::clicked, this, &CLogFilesDialog::DeleteSelected);
    connect(m_help, &QPushButton::clicked, this, [this] { CHelpWindow::ShowWindowHelp(this); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    m_doc.Interaction().BeginWaitCursor();
    m_waiting = true;
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(400);
    connect(m_timer, &QTimer::timeout, this, &CLogFilesDialog::ListFiles);
    m_timer->start();
}

CLogFilesDialog::~CLogFilesDialog()
{
    // Closed before the first listing: the wait cursor still ends.
    if (m_waiting)
        m_doc.Interaction().EndWaitCursor();
}

void CLogFilesDialog::ListFiles()
{
    m_timer->stop();
    m_list->clear();
    unsigned long error = 0;
    const std::vector<LogFileEntry> files = ListLogFiles(m_doc.DatabaseDirectory(), &error);
    if (error != 0) {
        // Nothing is listed, and nothing recorded as the list of log files.
        if (m_waiting) {
            m_waiting = false;
            m_doc.Interaction().EndWaitCursor();
        }
        m_delete->setEnabled(false);
        m_doc.Interaction().ShowMessage("The directory " + LogDataDirectory(m_doc.DatabaseDirectory()) +
                                            " cannot be read (error " + std::to_string(error) +
                                            ").\nIts log files are not listed.",
                                        kMessageCaption, Buttons::Ok, Icon::Error);
        return;
    }
    const QIcon icon = Icons::FromDrawing(QStringLiteral("document.svg"));
    QList<QTreeWidgetItem*> items;
    for (const LogFileEntry& file : files) {
        auto* item = new QTreeWidgetItem({DisplayText(file.name), QString::number(file.size)});
        // The name as the bytes it is: one that is not UTF-8 shows with the
        // code page's letters but is deleted by its own name.
        item->setData(0, Qt::UserRole, QByteArray(file.name.data(), static_cast<qsizetype>(file.name.size())));
        item->setIcon(0, icon);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    RecordLogFileList(m_doc.DatabaseDirectory(), files, m_fileCount);
    m_delete->setEnabled(false);
    if (m_waiting) {
        m_waiting = false;
        m_doc.Interaction().EndWaitCursor();
    }
}

void CLogFilesDialog::DeleteSelected()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    const std::string question =
        "Do you really want to delete " + std::to_string(selected.size()) + " Dialminder log file(s)?";
    if (m_doc.Interaction().ShowMessage(question, kMessageCaption, Buttons::YesNo, Icon::Question) != Answer::Yes)
        return;
    std::vector<std::string> names;
    for (const QTreeWidgetItem* item : selected)
        names.push_back(item->data(0, Qt::UserRole).toByteArray().toStdString());
    DeleteLogFiles(m_doc.DatabaseDirectory(), names);
    // The keys of the new listing count down from the files that are left.
    m_fileCount = CountLogFiles(m_doc.DatabaseDirectory());
    ListFiles();
}

} // namespace dm

#include "manager/ui/sheets/systemdatabase.h"

#include "common/activitylog.h"
#include "framework/helpwindow.h"
#include "framework/icons.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/systemsettingssheet.h"
#include "manager/core/logfiles.h"
#include "manager/ui/dialogs/logfilesdialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace dm {

namespace {

QString Bytes(std::uintmax_t size)
{
    return QStringLiteral("%1 bytes").arg(size);
}

} // namespace

CSystemDatabase::CSystemDatabase(CDMDoc& doc, QWidget* parent)
    : CPropertyPage(QStringLiteral("Database"), parent), m_doc(doc)
{
    SetHelpTopic(kSystemSettingsHelp);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(6);
    const QString titles[3] = {QStringLiteral("Hardware settings file"), QStringLiteral("User settings file"),
                               QStringLiteral("Activity log files")};
    const QString pictures[3] = {QStringLiteral("port-idle.svg"), QStringLiteral("user.svg"),
                                 QStringLiteral("document.svg")};
    const int contexts[3] = {24, 25, 26};
    QLabel* values[3][2] = {};
    int row = 0;
    for (int block = 0; block < 3; ++block) {
        auto* picture = new QLabel(this);
        picture->setPixmap(Icons::Render(pictures[block], 28));
        m_headings[block] = new QLabel(titles[block], this);
        QFont bold = m_headings[block]->font();
        bold.setBold(true);
        m_headings[block]->setFont(bold);
        CHelpWindow::InstallWhatsThis(picture, contexts[block]);
        CHelpWindow::InstallWhatsThis(m_headings[block], contexts[block]);
        layout->addWidget(picture, row, 0, 3, 1, Qt::AlignTop);
        layout->addWidget(m_headings[block], row, 1, 1, 2);
        const QString first = block == 2 ? QStringLiteral("Number of files:") : QStringLiteral("Size:");
        for (int line = 0; line < 2; ++line) {
            auto* label = new QLabel(line == 0 ? first : QStringLiteral("Records:"), this);
            values[block][line] = new QLabel(this);
            values[block][line]->setTextInteractionFlags(Qt::TextSelectableByMouse);
            layout->addWidget(label, row + 1 + line, 1);
            layout->addWidget(values[block][line], row + 1 + line, 2);
            // The log files' record count stays hidden: it counts only the
            // records loaded for the history, not those in the files.
            if (block == 2 && line == 1) {
                label->hide();
                values[block][line]->hide();
            }
        }
        layout->setRowMinimumHeight(row + 3, 14);
        row += 4;
    }
    m_hwSize = values[0][0];
    m_hwRecords = values[0][1];
    m_usrSize = values[1][0];
    m_usrRecords = values[1][1];
    m_logFiles = values[2][0];
    m_logRecords = values[2][1];
    m_purge = new QPushButton(QStringLiteral("&Purge..."), this);
    CHelpWindow::InstallWhatsThis(m_purge, 27);
    layout->addWidget(m_purge, row - 3, 3, Qt::AlignRight | Qt::AlignTop);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(row, 1);
    connect(m_purge, &QPushButton::clicked, this, &CSystemDatabase::OnPurge);
}

void CSystemDatabase::OnInitPage()
{
    const std::string& directory = m_doc.DatabaseDirectory();
    m_hwSize->setText(Bytes(SystemFileSize(directory + "\\Dialmind.hw")));
    m_usrSize->setText(Bytes(SystemFileSize(directory + "\\Dialmind.usr")));
    m_hwRecords->setText(QString::number(m_doc.PortSettingsTable().size()));
    m_usrRecords->setText(QString::number(m_doc.UserTable().size()));
    m_logRecords->setText(QString::number(m_doc.Log().Count()));
    ShowLogFileCount();
}

void CSystemDatabase::ShowLogFileCount()
{
    m_fileCount = CountLogFiles(m_doc.DatabaseDirectory());
    m_logFiles->setText(QString::number(m_fileCount));
}

void CSystemDatabase::OnPurge()
{
    ShowLogFileCount();
    CLogFilesDialog dialog(m_doc, m_fileCount, this);
    Q_EMIT logFilesDialogOpened(&dialog);
    dialog.exec();
    ShowLogFileCount();
}

void CSystemDatabase::paintEvent(QPaintEvent* event)
{
    CPropertyPage::paintEvent(event);
    // A rule under each heading, from its left edge, one pixel below it.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    for (QLabel* heading : m_headings) {
        const QRect box = heading->geometry();
        const int y = box.top() + heading->fontMetrics().height() + 1;
        painter.drawLine(box.left(), y, box.left() + 169, y);
    }
}

} // namespace dm

#include "manager/ui/views/capacityview.h"
#include "framework/displaytext.h"

#include "common/text.h"
#include "common/timeformat.h"
#include "framework/csvexport.h"
#include "framework/helpwindow.h"
#include "framework/listprinter.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/ui/views/capacitychart.h"
#include "manager/ui/views/capacitytablemodel.h"
#include "platform/files/pathresolver.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace dm {

namespace {

std::uint32_t NoonOf(const QDate& date)
{
    std::tm fields{};
    fields.tm_year = date.year() - 1900;
    fields.tm_mon = date.month() - 1;
    fields.tm_mday = date.day();
    fields.tm_hour = 12;
    fields.tm_isdst = -1;
    return FromLocalFields(fields);
}

QDate DateOf(std::uint32_t time)
{
    const std::tm fields = LocalFields(time);
    return QDate(fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday);
}

} // namespace

CCapacityView::CCapacityView(CDMDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("CapacityView"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    CHelpWindow::SetWindowHelp(this, kHelpContext);
    m_serverFilter = doc.CurrentSelection().server.empty() ? "*" : doc.CurrentSelection().server;
    // The ports installed, as the RAS library lists them now.
    for (int i = 0; i < static_cast<int>(doc.Servers().size()); ++i) {
        if (m_serverFilter != "*" &&
            !dm::EqualNoCase(doc.Servers()[static_cast<std::size_t>(i)].name, m_serverFilter))
            continue;
        doc.RefreshServerPorts(i);
        const ServerEntry& server = doc.Servers()[static_cast<std::size_t>(i)];
        m_installed[server.name] = server.portCount;
    }
    setWindowTitle(m_serverFilter == "*" ? QStringLiteral("Capacity - All Servers")
                                         : QStringLiteral("Capacity - %1").arg(DisplayText(m_serverFilter)));
    BuildLayout();
    resize(900, 680);
}

void CCapacityView::BuildLayout()
{
    auto* layout = new QVBoxLayout(this);

    auto* fields = new QHBoxLayout;
    const CapacityWindow last30 = LastWholeDays(30, NowTime());
    m_from = new QDateEdit(DateOf(last30.FirstDay()), this);
    m_to = new QDateEdit(DateOf(last30.LastDay()), this);
    for (QDateEdit* edit : {m_from, m_to}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    auto* fromLabel = new QLabel(QStringLiteral("&From:"), this);
    fromLabel->setBuddy(m_from);
    auto* toLabel = new QLabel(QStringLiteral("&To:"), this);
    toLabel->setBuddy(m_to);
    auto* load = new QPushButton(QStringLiteral("&Load"), this);
    load->setObjectName(QStringLiteral("LoadButton"));
    load->setToolTip(QStringLiteral("Read the activity log of the days from the first to the last"));
    connect(load, &QPushButton::clicked, this, [this] { Load(); });

    m_grade = new QDoubleSpinBox(this);
    m_grade->setRange(0.01, 50.0);
    m_grade->setDecimals(2);
    m_grade->setSingleStep(0.5);
    m_grade->setSuffix(QStringLiteral(" %"));
    m_grade->setValue(1.0);
    m_grade->setToolTip(QStringLiteral("The share of callers that may find every port busy"));
    auto* gradeLabel = new QLabel(QStringLiteral("&Grade of service:"), this);
    gradeLabel->setBuddy(m_grade);
    m_limit = new QSpinBox(this);
    m_limit->setRange(0, 24 * 60);
    m_limit->setSingleStep(15);
    m_limit->setSuffix(QStringLiteral(" min"));
    m_limit->setSpecialValueText(QStringLiteral("None"));
    m_limit->setToolTip(QStringLiteral("What if every session were cut after this many minutes"));
    auto* limitLabel = new QLabel(QStringLiteral("&Session limit:"), this);
    limitLabel->setBuddy(m_limit);
    for (QWidget* w : {static_cast<QWidget*>(fromLabel), static_cast<QWidget*>(m_from),
                       static_cast<QWidget*>(toLabel), static_cast<QWidget*>(m_to), static_cast<QWidget*>(load)})
        fields->addWidget(w);
    fields->addSpacing(16);
    for (QWidget* w : {static_cast<QWidget*>(gradeLabel), static_cast<QWidget*>(m_grade),
                       static_cast<QWidget*>(limitLabel), static_cast<QWidget*>(m_limit)})
        fields->addWidget(w);
    fields->addStretch(1);
    layout->addLayout(fields);
    connect(m_grade, &QDoubleSpinBox::valueChanged, this, &CCapacityView::Recompute);
    connect(m_limit, &QSpinBox::valueChanged, this, &CCapacityView::Recompute);

    auto* chartRow = new QHBoxLayout;
    m_chartServer = new QComboBox(this);
    m_chartServer->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* chartLabel = new QLabel(QStringLiteral("&Chart of:"), this);
    chartLabel->setBuddy(m_chartServer);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("CapacitySummary"));
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    chartRow->addWidget(chartLabel);
    chartRow->addWidget(m_chartServer);
    chartRow->addSpacing(12);
    chartRow->addWidget(m_summary, 1);
    layout->addLayout(chartRow);
    connect(m_chartServer, &QComboBox::currentIndexChanged, this, &CCapacityView::ShowChartServer);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    m_chart = new CCapacityChart(splitter);
    m_model = new CapacityTableModel(this);
    m_table = new QTableView(splitter);
    m_table->setObjectName(QStringLiteral("CapacityTable"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(false);
    splitter->addWidget(m_chart);
    splitter->addWidget(m_table);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);

    auto* buttons = new QDialogButtonBox(this);
    auto* save = buttons->addButton(QStringLiteral("Save &As..."), QDialogButtonBox::ActionRole);
    auto* print = buttons->addButton(QStringLiteral("&Print..."), QDialogButtonBox::ActionRole);
    auto* preview = buttons->addButton(QStringLiteral("Print Pre&view"), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Help);
    buttons->addButton(QDialogButtonBox::Close);
    connect(save, &QPushButton::clicked, this, &CCapacityView::SaveAs);
    connect(print, &QPushButton::clicked, this, &CCapacityView::Print);
    connect(preview, &QPushButton::clicked, this, &CCapacityView::PrintPreview);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { CHelpWindow::ShowContext(kHelpContext, this); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

bool CCapacityView::Load()
{
    const std::string directory = m_doc.DatabaseDirectory();
    if (directory.empty()) {
        m_doc.Interaction().ShowMessage("No database directory is known yet: the capacity cannot be computed.",
                                        kMessageCaption, Buttons::Ok, Icon::Information);
        return false;
    }
    QDate first = m_from->date(), last = m_to->date();
    if (last < first) {
        std::swap(first, last);
        m_from->setDate(first);
        m_to->setDate(last);
    }
    const CapacityWindow window(NoonOf(first), NoonOf(last));
    QProgressDialog progress(QStringLiteral("Reading the activity log, please wait..."), QStringLiteral("Cancel"), 0,
                             window.Days() + 1, this);
    progress.setWindowTitle(QStringLiteral("Capacity"));
    progress.setMinimumDuration(400);
    progress.setWindowModality(Qt::WindowModal);
    CapacityLoader loader(ResolvePathOrEmpty);
    CapacityHistory history;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool loaded = loader.Load(directory, window, m_serverFilter, history, [&](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        progress.setLabelText(QStringLiteral("Reading the activity log, day %1 of %2...").arg(done + 1).arg(total));
        QApplication::processEvents();
        return !progress.wasCanceled();
    });
    QApplication::restoreOverrideCursor();
    if (!loaded)
        return false;
    m_doc.ReportUnreadableLogFiles(history.unreadable);
    SetInstalledPorts(history, m_installed);
    m_history = std::move(history);
    Recompute();
    return true;
}

CapacityOptions CCapacityView::Options() const
{
    CapacityOptions options;
    options.gradeOfService = m_grade->value() / 100.0;
    options.sessionLimit = static_cast<std::uint32_t>(m_limit->value()) * 60u;
    return options;
}

void CCapacityView::Recompute()
{
    m_model->SetFigures(ComputeCapacity(m_history.servers, m_history.window, Options()));
    const QString chosen = m_chartServer->currentText();
    QSignalBlocker block(m_chartServer);
    m_chartServer->clear();
    for (const ServerCapacity& server : m_model->Figures())
        m_chartServer->addItem(DisplayText(server.server));
    m_chartServer->setCurrentIndex(std::max(0, m_chartServer->findText(chosen)));
    ShowChartServer();
}

void CCapacityView::ShowChartServer()
{
    const int index = m_chartServer->currentIndex();
    const auto& figures = m_model->Figures();
    if (index < 0 || index >= static_cast<int>(figures.size())) {
        m_chart->SetFigures(std::nullopt);
        m_summary->setText(m_history.window.Days() == 0 ? QString()
                                                        : QStringLiteral("No sessions in the chosen days."));
        return;
    }
    const ServerCapacity& server = figures[static_cast<std::size_t>(index)];
    m_chart->SetFigures(server);
    if (server.busyHour < 0) {
        m_summary->setText(QStringLiteral("%1: no sessions in the chosen days.").arg(DisplayText(server.server)));
        return;
    }
    const HourCapacity& busy = server.hours[static_cast<std::size_t>(server.busyHour)];
    m_summary->setText(
        QStringLiteral("Busy hour %1: carried %2 E, offered %3, blocking %4 %; %5 ports installed, %6 needed")
            .arg(QString::fromStdString(HourText(server.busyHour)))
            .arg(busy.carried, 0, 'f', 3)
            .arg(busy.offered ? QStringLiteral("%1 E").arg(*busy.offered, 0, 'f', 3) : QStringLiteral("unknown (full)"))
            .arg(busy.blocking * 100.0, 0, 'f', 2)
            .arg(server.ports)
            .arg(busy.portsNeeded ? QString::number(*busy.portsNeeded) : QStringLiteral("more")));
}

std::string CCapacityView::CsvText() const
{
    return CapacityCsv(m_model->Figures());
}

void CCapacityView::SaveAs()
{
    const QString path = CsvExport::AskSaveFileName(this);
    if (path.isEmpty())
        return;
    if (!CsvExport::WriteText(path, CsvText()))
        m_doc.Interaction().ShowMessage("Error opening file for output.", kMessageCaption, Buttons::Ok, Icon::Error);
}

ListPrintout CCapacityView::Printout() const
{
    ListPrintout out;
    out.documentName = QStringLiteral("Dialminder capacity");
    out.title = QStringLiteral("Capacity from %1 to %2, grade of service %3 %")
                    .arg(QString::fromStdString(FormatLocalTime("%Y-%m-%d", m_history.window.FirstDay())),
                         QString::fromStdString(FormatLocalTime("%Y-%m-%d", m_history.window.LastDay())))
                    .arg(m_grade->value(), 0, 'f', 2);
    for (int column = 0; column < m_model->columnCount(); ++column)
        out.headers << m_model->headerData(column, Qt::Horizontal).toString();
    out.rowCount = m_model->rowCount();
    const CapacityTableModel* model = m_model;
    out.cell = [model](int row, int column) { return model->Text(row, column); };
    return out;
}

void CCapacityView::Print()
{
    ListPrinter::PrintWithDialog(Printout(), this);
}

void CCapacityView::PrintPreview()
{
    ListPrinter::Preview(Printout(), this);
}

CCapacityView* OpenCapacityView(CDMDoc& doc, QWidget* parent)
{
    auto* view = new CCapacityView(doc, parent);
    view->setAttribute(Qt::WA_DeleteOnClose);
    view->show();
    view->Load();
    return view;
}

} // namespace dm

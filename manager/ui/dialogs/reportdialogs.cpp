#include "manager/ui/dialogs/reportdialogs.h"
#include "manager/ui/frame/helptopics.h"
#include "framework/helpwindow.h"

#include "common/timeformat.h"
#include "common/userinteraction.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/dialogs/reportprogressdialog.h"
#include "platform/files/profile.h"
#include "reports/print/reportprinting.h"
#include "reports/reportscript.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace dm {

namespace {

struct ReportEntry {
    const char* name;
    const char* description;
};

constexpr ReportEntry kReports[] = {
    {"Usage Per User-ID", "Produces a report on usage time per User Account during the selected time period."},
    {"Usage Per Port", "Produces a report on usage time per RAS port during the selected time period."},
    {"Denied Connections", "Produces a report on all denied connections during the selected time period."},
    {"Busy Ports Per Hour",
     "Produces a report on the number of engaged ports per hour during the selected time period."},
};

QLabel* SunkenText(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(150);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QToolButton* MoreButton(QWidget* parent, const QString& tip)
{
    auto* button = new QToolButton(parent);
    button->setText(QStringLiteral("..."));
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

// The default printer's own name: the device entry of the user's profile
// is stored as "Laser,winspool,LPT1:", whose driver and port mean nothing
// here and are not shown.
QString ProfilePrinter()
{
    const std::string device = GetProfileString("windows", "device", "", 200);
    return QString::fromStdString(device.substr(0, device.find(',')));
}

// The printer a report of these settings is printed on: the one chosen in
// Send To, else the device named by the user's profile entry.
std::string ReportPrinterName(const ReportSettings& settings)
{
    if (!settings.printerName.empty())
        return settings.printerName;
    return ProfilePrinter().toStdString();
}

} // namespace

SaveFileChooser DefaultSaveFileChooser()
{
    return [](QWidget* parent, const QString& title, const QString& start) {
        QFileDialog dialog(parent, title, start);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        dialog.setOption(QFileDialog::ReadOnly, false);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().first();
    };
}

PrinterChooser DefaultPrinterChooser()
{
    return [](QWidget* parent, const QString& current) -> std::optional<QString> {
        QPrinter printer;
        if (!current.isEmpty())
            printer.setPrinterName(current);
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(QStringLiteral("Print Setup"));
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return printer.printerName();
    };
}

// --- Time Period -------------------------------------------------------------

CTimePeriodDialog::CTimePeriodDialog(int periodType, std::uint32_t from, std::uint32_t to,
                                     UserInteraction& ui, QWidget* parent)
    : QDialog(parent), m_choice(periodType, from, to), m_ui(ui), m_now(NowTime())
{
    setWindowTitle(QStringLiteral("Time Period for Report"));
    CHelpWindow::SetWindowHelp(this, helptopic::ReportPeriod);
    auto* group = new QGroupBox(QStringLiteral("Base report on available session data from"), this);
    auto* grid = new QGridLayout(group);
    const char* names[] = {"Today", "This week", "This month", "Time of first session record",
                           "Custom period:"};
    auto* buttons = new QButtonGroup(this);
    for (int i = 0; i < 5; ++i) {
        m_types[i] = new QRadioButton(QString::fromLatin1(names[i]), group);
        buttons->addButton(m_types[i], i + 1);
        grid->addWidget(m_types[i], i, 0, 1, 3);
    }
    m_custom[0] = MakeBound(QStringLiteral("from:"), m_fromText, true);
    m_custom[1] = MakeBound(QStringLiteral("to:"), m_toText, false);
    grid->addWidget(m_custom[0], 5, 0, 1, 3);
    grid->addWidget(m_custom[1], 6, 0, 1, 3);
    grid->setColumnMinimumWidth(0, 16);
    connect(buttons, &QButtonGroup::idClicked, this, &CTimePeriodDialog::SelectType);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(box);

    const int type = periodType >= 1 && periodType <= 5 ? periodType : PeriodAllRecords;
    m_types[type - 1]->setChecked(true);
    SelectType(type);
}

QWidget* CTimePeriodDialog::MakeBound(const QString& caption, QLabel*& text, bool from)
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(24, 0, 0, 0);
    auto* label = new QLabel(caption, row);
    label->setMinimumWidth(36);
    text = SunkenText(row);
    text->setAlignment(Qt::AlignCenter);
    auto* earlier = new QToolButton(row);
    earlier->setArrowType(Qt::LeftArrow);
    earlier->setAutoRepeat(true);
    earlier->setToolTip(QStringLiteral("One day earlier"));
    auto* later = new QToolButton(row);
    later->setArrowType(Qt::RightArrow);
    later->setAutoRepeat(true);
    later->setToolTip(QStringLiteral("One day later"));
    connect(earlier, &QToolButton::clicked, this, [this, from] { from ? StepFrom(-1) : StepTo(-1); });
    connect(later, &QToolButton::clicked, this, [this, from] { from ? StepFrom(1) : StepTo(1); });
    layout->addWidget(label);
    layout->addWidget(text, 1);
    layout->addWidget(earlier);
    layout->addWidget(later);
    return row;
}

void CTimePeriodDialog::SelectType(int periodType)
{
    m_choice.Select(periodType, m_now);
    for (QWidget* bound : m_custom)
        bound->setEnabled(m_choice.CustomEnabled());
    ShowBounds();
}

void CTimePeriodDialog::ShowBounds()
{
    const bool shown = m_choice.From() != 0;
    m_fromText->setText(shown ? QString::fromStdString(FormatReportDate(m_choice.From())) : QString());
    m_toText->setText(shown ? QString::fromStdString(FormatReportDate(m_choice.To())) : QString());
}

void CTimePeriodDialog::StepFrom(int days)
{
    if (!m_choice.StepFrom(days))
        m_ui.Beep(200, 100);
    ShowBounds();
}

void CTimePeriodDialog::StepTo(int days)
{
    if (!m_choice.StepTo(days))
        m_ui.Beep(200, 100);
    ShowBounds();
}

// --- Send To -----------------------------------------------------------------

CSendToDialog::CSendToDialog(const ReportSettings& settings, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Send Report To"));
    CHelpWindow::SetWindowHelp(this, helptopic::ReportOutput);
    auto* group = new QGroupBox(QStringLiteral("Output Device"), this);
    auto* intro = new QLabel(QStringLiteral("Select whether the produced report should be sent to a printer "
                                            "or to a comma separated file:"),
                             group);
    intro->setWordWrap(true);
    m_print = new QRadioButton(QStringLiteral("&Print the report on the default printer:"), group);
    m_printerName = SunkenText(group);
    m_printerName->setText(settings.printerName.empty() ? ProfilePrinter()
                                                        : QString::fromStdString(settings.printerName));
    m_printerMore = MoreButton(group, QStringLiteral("Choose the printer"));
    m_file = new QRadioButton(QStringLiteral("&Save the report to file:"), group);
    m_fileName = new QLineEdit(QString::fromStdString(settings.outputFileName), group);
    m_fileName->setMaxLength(600);
    m_fileMore = MoreButton(group, QStringLiteral("Choose the file"));

    auto* grid = new QGridLayout(group);
    grid->addWidget(intro, 0, 0, 1, 3);
    grid->addWidget(m_print, 1, 0, 1, 3);
    grid->addWidget(m_printerName, 2, 1);
    grid->addWidget(m_printerMore, 2, 2);
    grid->addWidget(m_file, 3, 0, 1, 3);
    grid->addWidget(m_fileName, 4, 1);
    grid->addWidget(m_fileMore, 4, 2);
    grid->setColumnMinimumWidth(0, 16);
    grid->setColumnStretch(1, 1);

    (settings.print ? m_print : m_file)->setChecked(true);
    connect(m_print, &QRadioButton::toggled, this, &CSendToDialog::UpdateEnabling);
    connect(m_printerMore, &QToolButton::clicked, this, &CSendToDialog::ChoosePrinter);
    connect(m_fileMore, &QToolButton::clicked, this, &CSendToDialog::ChooseFile);
    UpdateEnabling();

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(box);
    resize(460, sizeHint().height());
}

bool CSendToDialog::Print() const
{
    return m_print->isChecked();
}

QString CSendToDialog::OutputFileName() const
{
    return m_fileName->text();
}

QString CSendToDialog::PrinterName() const
{
    return m_printerName->text();
}

void CSendToDialog::UpdateEnabling()
{
    const bool print = m_print->isChecked();
    m_printerName->setEnabled(print);
    m_printerMore->setEnabled(print);
    m_fileName->setEnabled(!print);
    m_fileMore->setEnabled(!print);
}

void CSendToDialog::ChoosePrinter()
{
    const QString current = m_printerName->text();
    if (const std::optional<QString> chosen = m_choosePrinter(this, current))
        m_printerName->setText(*chosen);
}

void CSendToDialog::ChooseFile()
{
    const QString path = m_chooseFile(this, QStringLiteral("Save Report As"), m_fileName->text());
    if (!path.isEmpty())
        m_fileName->setText(path);
}

// --- Save Script ---------------------------------------------------------------

CSaveScriptDialog::CSaveScriptDialog(CDMDoc& doc, int reportType, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_reportType(reportType)
{
    setWindowTitle(QStringLiteral("Save Report Script"));
    CHelpWindow::SetWindowHelp(this, helptopic::ReportScript);
    auto* group = new QGroupBox(QStringLiteral("Batch Script"), this);
    auto* intro = new QLabel(QStringLiteral("Here you can save the report settings that you have made to a "
                                            "script file, which can be utilized by the batch program DMREPORT "
                                            "to produce reports in batch mode."),
                             group);
    intro->setWordWrap(true);
    auto* label = new QLabel(QStringLiteral("Save script file as:"), group);
    m_fileName = new QLineEdit(QStringLiteral("dmscript.dat"), group);
    label->setBuddy(m_fileName);
    auto* more = MoreButton(group, QStringLiteral("Choose the script file"));
    connect(more, &QToolButton::clicked, this, &CSaveScriptDialog::ChooseFile);
    auto* grid = new QGridLayout(group);
    grid->addWidget(intro, 0, 0, 1, 2);
    grid->addWidget(label, 1, 0, 1, 2);
    grid->addWidget(m_fileName, 2, 0);
    grid->addWidget(more, 2, 1);

    auto* box = new QDialogButtonBox(this);
    QPushButton* save = box->addButton(QStringLiteral("&Save"), QDialogButtonBox::AcceptRole);
    box->addButton(QDialogButtonBox::Cancel);
    save->setDefault(true);
    connect(save, &QPushButton::clicked, this, &CSaveScriptDialog::Save);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(box);
    resize(440, sizeHint().height());
}

void CSaveScriptDialog::ChooseFile()
{
    const QString path = m_chooseFile(this, QStringLiteral("Save Script As"), m_fileName->text());
    if (!path.isEmpty())
        m_fileName->setText(path);
}

void CSaveScriptDialog::Save()
{
    const ReportScript script = MakeReportScript(m_doc.Report(), m_reportType, m_doc.DatabaseDirectory());
    if (!WriteReportScript(m_fileName->text().toStdString(), script)) {
        // A script that silently fails to appear would be found missing only
        // when the scheduled report does not run.
        m_doc.Interaction().ShowMessage("The script file " + m_fileName->text().toStdString() +
                                            " could not be written.",
                                        "Save Report Script", Buttons::Ok, Icon::Error);
        return;
    }
    accept();
}

// --- Reports -----------------------------------------------------------------

CReportsDialog::CReportsDialog(CDMDoc& doc, QWidget* parent) : QDialog(parent), m_doc(doc)
{
    setWindowTitle(QStringLiteral("Reports"));
    CHelpWindow::SetWindowHelp(this, helptopic::Reports);
    auto* intro = new QLabel(QStringLiteral("Select a report from the list, specify custom options and click "
                                            "Generate to produce the report."),
                             this);
    intro->setWordWrap(true);
    auto* group = new QGroupBox(QStringLiteral("Report"), this);
    m_list = new QListWidget(group);
    for (const ReportEntry& entry : kReports)
        m_list->addItem(QString::fromLatin1(entry.name));
    m_list->setMinimumWidth(180);
    m_description = new QLabel(group);
    m_description->setWordWrap(true);
    m_description->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_description->setMinimumWidth(200);
    auto* inside = new QHBoxLayout(group);
    inside->addWidget(m_list, 1);
    inside->addWidget(m_description, 1);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            m_description->setText(QString::fromLatin1(kReports[row].description));
    });
    m_list->setCurrentRow(0);

    auto* period = new QPushButton(QStringLiteral("&Time Period..."), this);
    auto* sendTo = new QPushButton(QStringLiteral("Se&nd To..."), this);
    auto* generate = new QPushButton(QStringLiteral("&Generate"), this);
    auto* script = new QPushButton(QStringLiteral("&Save Script..."), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    generate->setDefault(true);
    connect(period, &QPushButton::clicked, this, &CReportsDialog::OpenTimePeriod);
    connect(sendTo, &QPushButton::clicked, this, &CReportsDialog::OpenSendTo);
    connect(generate, &QPushButton::clicked, this, &CReportsDialog::Generate);
    connect(script, &QPushButton::clicked, this, &CReportsDialog::OpenSaveScript);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(period);
    buttons->addWidget(sendTo);
    buttons->addWidget(script);
    buttons->addStretch(1);
    buttons->addWidget(generate);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);
    resize(560, 300);
    m_list->setFocus(Qt::OtherFocusReason);
}

int CReportsDialog::SelectedType() const
{
    return std::max(0, m_list->currentRow()) + 1;
}

int CReportsDialog::RunNested(QDialog& dialog)
{
    if (m_beforeNested)
        m_beforeNested(dialog);
    return dialog.exec();
}

void CReportsDialog::OpenTimePeriod()
{
    ReportSettings& settings = m_doc.Report();
    CTimePeriodDialog dialog(settings.periodType, settings.from, settings.to, m_doc.Interaction(), this);
    if (RunNested(dialog) != QDialog::Accepted)
        return;
    settings.periodType = dialog.Choice().PeriodType();
    if (settings.periodType == PeriodCustom) {
        settings.from = dialog.Choice().From();
        settings.to = dialog.Choice().To();
    }
}

void CReportsDialog::OpenSendTo()
{
    ReportSettings& settings = m_doc.Report();
    CSendToDialog dialog(settings, this);
    if (RunNested(dialog) != QDialog::Accepted)
        return;
    settings.print = dialog.Print();
    settings.outputFileName = dialog.OutputFileName().toStdString();
    const QString shown = dialog.PrinterName();
    // The default printer shown unchanged is no choice of its own.
    if (shown != ProfilePrinter())
        settings.printerName = shown.toStdString();
}

void CReportsDialog::OpenSaveScript()
{
    CSaveScriptDialog dialog(m_doc, SelectedType(), this);
    RunNested(dialog);
}

void CReportsDialog::Generate()
{
    m_doc.Report().reportType = SelectedType();
    accept();
}

void RunReportsCommand(CDMDoc& doc, QWidget* parent)
{
    CReportsDialog reports(doc, parent);
    if (reports.exec() != QDialog::Accepted)
        return;
    const ReportSettings& settings = doc.Report();
    const std::string printer = ReportPrinterName(settings);
    CReportProgressDialog progress(MakeReportRequest(settings, doc.DatabaseDirectory()),
                                   [printer](const std::string& dmtemp) {
                                       return PrintReportFile(dmtemp, printer) >= 0;
                                   },
                                   parent);
    progress.exec();
    const std::string error = ReportRunError(progress.Result(), settings.outputFileName);
    if (!error.empty())
        doc.Interaction().ShowMessage(error, "Reports", Buttons::Ok, Icon::Error);
}

} // namespace dm

#pragma once
// The report dialogs of the manager: "Reports" with the four reports and
// their descriptions, "Time Period for Report", "Send Report To" and "Save
// Report Script". They edit the document's report selection (ReportSettings),
// which lives for the life of the program.
//
// The file and printer choosers are members that tests may replace; by
// default they open Qt's save-file and print setup dialogs.

#include "manager/core/reportchoice.h"
#include "manager/core/reportsettings.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace dm {

class CDMDoc;
class UserInteraction;

// Returns the chosen full path, or an empty text when cancelled.
using SaveFileChooser = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;
// Returns the chosen printer's name, or nothing when cancelled.
using PrinterChooser = std::function<std::optional<QString>(QWidget* parent, const QString& current)>;

SaveFileChooser DefaultSaveFileChooser();
PrinterChooser DefaultPrinterChooser();

class CTimePeriodDialog : public QDialog {
    Q_OBJECT
public:
    CTimePeriodDialog(int periodType, std::uint32_t from, std::uint32_t to, UserInteraction& ui,
                      QWidget* parent = nullptr);

    const TimePeriodChoice& Choice() const { return m_choice; }
    QRadioButton* TypeButton(int periodType) const { return m_types[periodType - 1]; }
    QLabel* FromText() const { return m_fromText; }
    QLabel* ToText() const { return m_toText; }
    // One day earlier (negative) or later (positive); a refused step beeps.
    void StepFrom(int days);
    void StepTo(int days);
    // The clock the first custom period is taken from (tests fix it).
    void SetNow(std::uint32_t now) { m_now = now; }

private:
    void SelectType(int periodType);
    void ShowBounds();
    QWidget* MakeBound(const QString& caption, QLabel*& text, bool from);

    TimePeriodChoice m_choice;
    UserInteraction& m_ui;
    std::uint32_t m_now;
    QRadioButton* m_types[5] = {};
    QLabel* m_fromText = nullptr;
    QLabel* m_toText = nullptr;
    QWidget* m_custom[2] = {};
};

class CSendToDialog : public QDialog {
    Q_OBJECT
public:
    CSendToDialog(const ReportSettings& settings, QWidget* parent = nullptr);

    bool Print() const;
    QString OutputFileName() const;
    QString PrinterName() const;
    QRadioButton* PrintButton() const { return m_print; }
    QRadioButton* FileButton() const { return m_file; }
    QLineEdit* FileField() const { return m_fileName; }
    QLabel* PrinterField() const { return m_printerName; }
    void ChoosePrinter();
    void ChooseFile();

    PrinterChooser m_choosePrinter = DefaultPrinterChooser();
    SaveFileChooser m_chooseFile = DefaultSaveFileChooser();

private:
    void UpdateEnabling();

    QRadioButton* m_print = nullptr;
    QRadioButton* m_file = nullptr;
    QLabel* m_printerName = nullptr;
    QToolButton* m_printerMore = nullptr;
    QLineEdit* m_fileName = nullptr;
    QToolButton* m_fileMore = nullptr;
};

class CSaveScriptDialog : public QDialog {
    Q_OBJECT
public:
    // reportType is the Reports list's current choice.
    CSaveScriptDialog(CDMDoc& doc, int reportType, QWidget* parent = nullptr);

    QLineEdit* FileField() const { return m_fileName; }
    void ChooseFile();
    // Writes the script to the file named in the field and closes.
    void Save();

    SaveFileChooser m_chooseFile = DefaultSaveFileChooser();

private:
    CDMDoc& m_doc;
    int m_reportType;
    QLineEdit* m_fileName = nullptr;
};

class CReportsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CReportsDialog(CDMDoc& doc, QWidget* parent = nullptr);

    QListWidget* List() const { return m_list; }
    QLabel* Description() const { return m_description; }
    // The list's selection as a report type, 1 to 4.
    int SelectedType() const;
    // The buttons' actions; each nested dialog is shown modally.
    void OpenTimePeriod();
    void OpenSendTo();
    void OpenSaveScript();
    // Stores the selected report type and closes with success.
    void Generate();

    // Lets tests drive the nested dialogs before they are shown modally.
    std::function<void(QDialog&)> m_beforeNested;

private:
    int RunNested(QDialog& dialog);

    CDMDoc& m_doc;
    QListWidget* m_list = nullptr;
    QLabel* m_description = nullptr;
};

// The "R&eports..." command: the Reports dialog, then on Generate the run
// behind "Generating Report, please wait...". A run that produced nothing
// where it was asked to is reported with dmreport's error text.
void RunReportsCommand(CDMDoc& doc, QWidget* parent);

} // namespace dm

#pragma once
// The Capacity view: for the server or servers selected in the tree, per
// hour of the day, the load carried over a window of whole days, the most
// sessions at once, the time all ports were busy, and by Erlang B the
// offered load, the blocking and the ports a grade of service needs; a
// chart of one server; a what-if session limit. The figures and the CSV
// that Save As writes come from the capacity model, as `dmctl capacity
// --csv --network` prints them.
//
// Loading reads each day file of the window once, behind a progress dialog
// with Cancel; the grade of service and the session limit recompute from
// what was read, at once.

#include "manager/core/capacityload.h"
#include "manager/core/capacitymodel.h"

#include <QDialog>

#include <map>
#include <string>

class QComboBox;
class QDateEdit;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;

namespace dm {

class CDMDoc;
class CCapacityChart;
class CapacityTableModel;
struct ListPrintout;

class CCapacityView : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 900;

    // The servers selected in the document's tree: one, or all monitored.
    CCapacityView(CDMDoc& doc, QWidget* parent = nullptr);

    // Reads the day files of the chosen days; false when cancelled or when
    // there is no database directory (the figures then stay as they were).
    bool Load();
    // The figures again from what was read, with the current fields.
    void Recompute();

    CapacityOptions Options() const;
    CapacityWindow Window() const { return m_history.window; }
    std::string CsvText() const;
    ListPrintout Printout() const;
    CapacityTableModel* Model() const { return m_model; }
    CCapacityChart* Chart() const { return m_chart; }

    void SaveAs();
    void Print();
    void PrintPreview();

    // The fields, for tests and screenshots.
    QDateEdit* FromField() const { return m_from; }
    QDateEdit* ToField() const { return m_to; }
    QDoubleSpinBox* GradeField() const { return m_grade; }
    QSpinBox* LimitField() const { return m_limit; }
    QComboBox* ChartServerField() const { return m_chartServer; }
    QLabel* Summary() const { return m_summary; }

private:
    void BuildLayout();
    void ShowChartServer();

    CDMDoc& m_doc;
    std::string m_serverFilter;             // "*" or one server
    std::map<std::string, int> m_installed; // ports of the monitored servers shown
    CapacityHistory m_history;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QDoubleSpinBox* m_grade = nullptr;
    QSpinBox* m_limit = nullptr;
    QComboBox* m_chartServer = nullptr;
    QLabel* m_summary = nullptr;
    CCapacityChart* m_chart = nullptr;
    CapacityTableModel* m_model = nullptr;
    QTableView* m_table = nullptr;
};

// Opens the view (not modal, deleted when closed) and loads its default days.
CCapacityView* OpenCapacityView(CDMDoc& doc, QWidget* parent);

} // namespace dm

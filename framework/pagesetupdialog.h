#pragma once
// Print Setup: paper size, orientation and margins of a printer's page.
//
// The platform's page setup dialog works only with the system's own print
// queues and refuses the PDF printer (the one every machine has); this one
// edits the page layout of any printer the same way.

#include <QDialog>
#include <QPageLayout>

class QComboBox;
class QDoubleSpinBox;
class QPrinter;
class QRadioButton;

namespace dm {

class CPageSetupDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the printer's current layout; accept() gives it the edited one.
    explicit CPageSetupDialog(QPrinter* printer, QWidget* parent = nullptr);

    // The layout as the fields stand.
    QPageLayout Layout() const;

    QComboBox* PaperSizes() const { return m_paper; }
    QRadioButton* Landscape() const { return m_landscape; }
    QDoubleSpinBox* Margin(int side) const { return m_margins[side]; }

    void accept() override;

private:
    QPrinter* m_printer;
    QComboBox* m_paper = nullptr;
    QRadioButton* m_portrait = nullptr;
    QRadioButton* m_landscape = nullptr;
    QDoubleSpinBox* m_margins[4] = {}; // left, top, right, bottom in millimetres
};

} // namespace dm

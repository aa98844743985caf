#pragma once
// Where print jobs go. Normally the default printer (after the print dialog
// when the caller asks for it); with DIALMIND_PRINTER=pdf:FILE every job is
// written to FILE as PDF without a dialog, which is how tests and screenshots
// look at printed output.

#include <QString>

#include <memory>

class QPrinter;
class QWidget;

namespace dm {

class PrinterChoice {
public:
    // The PDF file that DIALMIND_PRINTER names, or empty.
    static QString PdfTarget();
    // A printer ready for a job named `documentName`, or null when the person
    // cancelled the print dialog. `maxPage` (when > 0) is offered as the last
    // page in the dialog.
    static std::unique_ptr<QPrinter> Choose(QWidget* parent, const QString& documentName,
                                            bool showDialog = true, int maxPage = 0);
};

} // namespace dm

#include "framework/printerchoice.h"

#include <QPrintDialog>
#include <QPrinter>

#include <cstdlib>

namespace dm {

QString PrinterChoice::PdfTarget()
{
    const char* env = std::getenv("DIALMIND_PRINTER");
    if (!env)
        return QString();
    const QString value = QString::fromLocal8Bit(env);
    if (!value.startsWith(QStringLiteral("pdf:")) || value.size() <= 4)
        return QString();
    return value.mid(4);
}

std::unique_ptr<QPrinter> PrinterChoice::Choose(QWidget* parent, const QString& documentName,
                                                bool showDialog, int maxPage)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(documentName);
    if (const QString pdf = PdfTarget(); !pdf.isEmpty()) {
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return printer;
    }
    if (!showDialog)
        return printer;
    QPrintDialog dialog(printer.get(), parent);
    if (maxPage > 0)
        dialog.setMinMax(1, maxPage);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;
    return printer;
}

} // namespace dm

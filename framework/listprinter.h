#pragma once
// Printing and print preview of a list pane, shared by every list that
// prints (history, users). What is printed is given as a ListPrintout; where
// it goes on the page follows ListPageLayout (framework/listpagelayout.h).
//
// Fonts (Arial, sizes in twips): the banner 68 high and 44 wide, the title
// bold (weight 700) at 12 points, the rows and headers 200 high and 80 wide.
// The banner names the program, the date of printing and the page. A cell
// wider than its column is shortened with an ellipsis rather than run into
// the next one.
//
//   ListPrintout out;
//   out.title = "User Accounts in Dialminder";
//   out.headers = {...};                       // print headers
//   out.screenWidths = {...};                  // the list's column widths now
//   out.clientWidth = view->viewport()->width();
//   out.rowCount = model->rowCount();
//   out.cell = [&](int row, int column) { return ...display text...; };
//   ListPrinter::PrintWithDialog(out, this);   // hint 74, Print...
//   ListPrinter::Preview(out, this);           // Print Preview

#include "framework/listpagelayout.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QAbstractItemModel;
class QPrinter;
class QPrintPreviewDialog;
class QWidget;

namespace dm {

struct ListPrintout {
    QString documentName = QStringLiteral("Dialminder");
    QString title;
    QStringList headers;           // one per printed column
    std::vector<int> screenWidths; // pixels, one per printed column
    int clientWidth = 0;           // the list's visible width in pixels
    int rowCount = 0;
    std::function<QString(int row, int column)> cell;

    // The display texts of a model's rows in the given model columns.
    void TakeCellsFrom(const QAbstractItemModel& model, std::vector<int> columns);
};

class ListPrinter {
public:
    // The layout on this printer: its printable area and the fonts' lines.
    static ListPageLayout LayoutFor(QPrinter& printer);
    // Prints the pages the printer's range names (all when it names none)
    // and returns how many were printed; 0 when there are no rows or the
    // printer cannot be opened.
    static int Print(const ListPrintout& printout, QPrinter& printer);
    // The print dialog (its last page the page count), then Print; with
    // DIALMIND_PRINTER=pdf:FILE straight to the file. -1 when cancelled.
    static int PrintWithDialog(const ListPrintout& printout, QWidget* parent);
    // Qt's preview of the pages; the dialog prints from its own toolbar.
    static QPrintPreviewDialog* CreatePreview(const ListPrintout& printout, QWidget* parent);
    static void Preview(const ListPrintout& printout, QWidget* parent);
};

} // namespace dm

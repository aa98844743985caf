#pragma once
// Printing and print preview of a list pane, shared by every list that
// prints (history, users). What is printed is given as a ListPrintout; where
// it goes on the page follows ListPageLayout (framework/listpagelayout.h).
//
// Fonts (Arial, sizes in twips): the banner 68 high and 44 wide, the title
// bold (weight 700) at 12 points, the rows and headers 200 high and 80 wide.
// The banner names the program, the date of printing and the page.
//
// Every column is printed, each as wide as its widest text, whatever the
// widths on screen (PaperColumns): a list wider than a portrait page turns
// the page to landscape, and one wider than that is printed in smaller type.
// Only when even the smallest type is too wide is a cell shortened with an
// ellipsis rather than run into the next one.
//
//   ListPrintout out;
//   out.title = "User Accounts in Dialminder";
//   out.headers = {...};                       // print headers
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
    int rowCount = 0;
    std::function<QString(int row, int column)> cell;

    // The display texts of a model's rows in the given model columns.
    void TakeCellsFrom(const QAbstractItemModel& model, std::vector<int> columns);
};

class ListPrinter {
public:
    // The layout on this printer: its printable area and the fonts' lines,
    // the row font at `rowFontScale` of its full size.
    static ListPageLayout LayoutFor(QPrinter& printer, double rowFontScale = 1.0);
    // Prints the pages the printer's range names (all when it names none)
    // and returns how many were printed; 0 when there are no rows or the
    // printer cannot be opened. Turns a portrait printer to landscape when
    // the columns are wider than the page.
    static int Print(const ListPrintout& printout, QPrinter& printer);
    // The print dialog (its last page the page count), then Print; with
    // DIALMIND_PRINTER=pdf:FILE straight to the file. -1 when cancelled.
    static int PrintWithDialog(const ListPrintout& printout, QWidget* parent);
    // Qt's preview of the pages; the dialog prints from its own toolbar.
    static QPrintPreviewDialog* CreatePreview(const ListPrintout& printout, QWidget* parent);
    static void Preview(const ListPrintout& printout, QWidget* parent);
};

} // namespace dm

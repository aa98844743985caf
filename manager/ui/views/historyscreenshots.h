#pragma once
// The history pane's screenshots (dialmind --screenshots): the pane for all
// servers, one port and one user, its pop-up menu, the scope bar for each
// scope type and the printed pages (drawn from the PDF by pdftoppm) from a
// narrow and a wide window.

class QDir;
class QString;

namespace dm {

class CDMDoc;
class CMainFrame;
struct ListPrintout;

// Prints to "<name>.pdf" and draws its first pages as "<name>-<page>.png".
bool SavePrintedPages(const ListPrintout& printout, const QDir& dir, const QString& name);

bool TakeHistoryScreenshots(CDMDoc& doc, CMainFrame& frame, const QDir& dir);

} // namespace dm

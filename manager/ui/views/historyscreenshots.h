#pragma once
// The history pane's screenshots (dialmind --screenshots): the pane for all
// servers, one port and one user, its pop-up menu, the scope bar for each
// scope type and the first printed page (drawn from the PDF by pdftoppm).

class QDir;

namespace dm {

class CDMDoc;
class CMainFrame;

bool TakeHistoryScreenshots(CDMDoc& doc, CMainFrame& frame, const QDir& dir);

} // namespace dm

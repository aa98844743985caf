#pragma once
// Draws the manager's windows to PNG files (dialmind --screenshots DIR), so
// that what a person sees can be reviewed: the main window with the tree
// expanded, the ports list with sessions, the port status panel of a port in
// session, the intro view, both Options pages, Add Server with its network
// tree and Send Message. Returns the program's exit status.

#include <QString>

namespace dm {

class CDMDoc;
class CMainFrame;

int TakeScreenshots(CDMDoc& doc, CMainFrame& frame, const QString& directory);

} // namespace dm

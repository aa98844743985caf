#pragma once
// Draws the manager's windows to PNG files (dialmind --screenshots DIR), so
// that what a person sees can be reviewed: the main window with the tree
// expanded, the ports list with sessions, the port status panel of a port in
// session, the intro view, both Options pages, Add Server with its network
// tree and Send Message. Returns the program's exit status.

#include <QString>

class QDir;
class QWidget;

namespace dm {

class CDMDoc;
class CMainFrame;

int TakeScreenshots(CDMDoc& doc, CMainFrame& frame, const QString& directory);

// For the screenshot functions of each part of the manager: lets pending
// events run for a while, and draws a widget to DIR/name (true when written).
void SettleEvents(int milliseconds = 50);
bool SaveScreenshot(QWidget* widget, const QDir& dir, const QString& name);

// The report dialogs, and the progress dialog while a run is under way.
bool TakeReportScreenshots(CDMDoc& doc, QWidget* parent, const QDir& dir);
// The users view and the user sheet's pages.
bool TakeUsersScreenshots(CDMDoc& doc, CMainFrame& frame, const QDir& dir);
// The Capacity view of one server and of all, with a session limit, and Check Access.
bool TakeCapacityScreenshots(CDMDoc& doc, CMainFrame& frame, const QDir& dir);

} // namespace dm

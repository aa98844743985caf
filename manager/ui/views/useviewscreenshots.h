#pragma once
// The usage graph's screenshots for `dialmind --screenshots`.

class QDir;

namespace dm {

class CDMDoc;
class CMainFrame;

// A day of the history for all servers, the same zoomed by week, a rubber
// band drawn across it, the too-narrow message and the progress dialog.
// Leaves the frame in the status mode. False when a picture failed.
bool TakeUsageScreenshots(CDMDoc& doc, CMainFrame& frame, const QDir& dir);

} // namespace dm

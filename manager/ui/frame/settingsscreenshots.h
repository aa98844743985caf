#pragma once
// Screenshots of the settings windows: every page of System Settings, the
// log files dialog, a server's Idle timeout page, the greeting dialog and the
// permission dialogs.

class QDir;
class QWidget;

namespace dm {

class CDMDoc;

// Writes the PNGs into dir; false when one could not be written.
bool TakeSettingsScreenshots(CDMDoc& doc, QWidget* owner, const QDir& dir);

} // namespace dm

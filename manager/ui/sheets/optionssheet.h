#pragma once
// The View menu's "Options..." command: the sheet "Options" with the pages
// "Display" and "History View", and what follows an OK: the tree's timer is
// re-armed when the refresh rate changed, every view hears of a changed
// account-icon setting (hint 10), and either change saves the settings.

class QWidget;

namespace dm {

class CDMDoc;
class CDMView;
class CPropertySheet;

// Runs the sheet modally; true when it ended with OK.
bool RunOptionsSheet(CDMDoc& doc, CDMView& tree, QWidget* parent);
// The same with a sheet the caller has built (tests drive it without exec).
CPropertySheet* CreateOptionsSheet(CDMDoc& doc, QWidget* parent);
void FinishOptionsSheet(CDMDoc& doc, CDMView& tree, CPropertySheet& sheet);

} // namespace dm

#pragma once
// Pictures of the port, group and default profile sheets and of the Add
// Allowed Groups dialog on the network the manager runs on, for
// `dialmind --screenshots`. Nothing is applied: the sheets are closed with
// Cancel.

class QDir;
class QWidget;

namespace dm {

class CDMDoc;

// Writes port-general.png, port-permissions.png, allowed-groups.png,
// group-settings.png, default-policy.png and default-settings.png into dir.
// False when one could not be taken.
bool TakePolicySheetScreenshots(CDMDoc& doc, QWidget* parent, const QDir& dir);

} // namespace dm

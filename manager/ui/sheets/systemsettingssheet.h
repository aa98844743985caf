#pragma once
// The "System Settings" sheet (General, Notifications, Server Maintenance,
// Database) and a server's properties sheet "Properties for %s" with its
// "Idle timeout" page.

#include <string>

class QWidget;

namespace dm {

class CDMDoc;
class CPropertySheet;

// The help topic of the System Settings sheet's Help button.
constexpr int kSystemSettingsHelp = 400;

CPropertySheet* CreateSystemSettingsSheet(CDMDoc& doc, QWidget* parent);
void RunSystemSettingsSheet(CDMDoc& doc, QWidget* parent);

CPropertySheet* CreateServerSheet(CDMDoc& doc, const std::string& server, QWidget* parent);
void RunServerSheet(CDMDoc& doc, const std::string& server, QWidget* parent);

} // namespace dm

#pragma once
// The sheets that edit policies outside a user's own: a port's properties
// ("Properties for %s on %s", pages General and Permissions), a group's
// ("Properties for %s\%s", page Settings) and the default profile ("Default
// Profile", pages Policy and Default Settings). Each page saves in its own
// Apply; the openers do nothing after a sheet closes.

#include <string>

class QWidget;

namespace dm {

class CDMDoc;
class CPropertySheet;
struct ManagerExtensions;

// The sheets, built but not shown (tests and screenshots drive them).
CPropertySheet* CreatePortSheet(CDMDoc& doc, const std::string& port, const std::string& server,
                                QWidget* parent);
CPropertySheet* CreateGroupSheet(CDMDoc& doc, const std::string& domain, const std::string& group,
                                 QWidget* parent);
CPropertySheet* CreateDefaultProfileSheet(CDMDoc& doc, QWidget* parent);

// Shows a sheet modally; when the file it edits exists but cannot be read,
// says so instead (CDMDoc::CheckDatabaseFile).
void RunPortSheet(CDMDoc& doc, QWidget* parent, const std::string& port, const std::string& server);
void RunGroupSheet(CDMDoc& doc, QWidget* parent, const std::string& domain, const std::string& group);
void RunDefaultProfileSheet(CDMDoc& doc, QWidget* parent);

// Lets the ports list and the server tree open the three sheets.
void AddPolicySheets(ManagerExtensions& extensions, CDMDoc& doc);

} // namespace dm

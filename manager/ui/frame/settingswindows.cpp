#include "manager/ui/frame/settingswindows.h"

#include "manager/core/dmdoc.h"
#include "manager/ui/dialogs/greetingsdialog.h"
#include "manager/ui/dialogs/permissionsdialog.h"
#include "manager/ui/frame/managerextensions.h"
#include "manager/ui/sheets/systemsettingssheet.h"

namespace dm {

void AddSettingsWindows(ManagerExtensions& extensions, CDMDoc& doc)
{
    extensions.systemSettings = [&doc](QWidget* parent) { RunSystemSettingsSheet(doc, parent); };
    extensions.serverProperties = [&doc](QWidget* parent, const std::string& server) {
        RunServerSheet(doc, server, parent);
    };
    extensions.greetings = [&doc](QWidget* parent) {
        if (!doc.CheckDatabaseFile(doc.Hardware().File()))
            return;
        CGreetingsDialog dialog(doc, parent);
        dialog.exec();
    };
    extensions.exportPermissions = [&doc](QWidget* parent) {
        CExportPermissionsDialog dialog(doc, parent);
        dialog.exec();
    };
    extensions.importPermissions = [&doc](QWidget* parent) {
        CImportPermissionsDialog dialog(doc, parent);
        dialog.exec();
    };
}

} // namespace dm

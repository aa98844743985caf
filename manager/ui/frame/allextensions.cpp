#include "manager/ui/frame/allextensions.h"

#include "framework/displaytext.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/dialogs/checkaccessdialog.h"
#include "manager/ui/dialogs/reportdialogs.h"
#include "manager/ui/frame/settingswindows.h"
#include "manager/ui/sheets/policysheets.h"
#include "manager/ui/sheets/usersheet.h"
#include "manager/ui/views/capacityview.h"
#include "manager/ui/views/historypanes.h"
#include "manager/ui/views/usersview.h"
#include "manager/ui/views/useview.h"

namespace dm {

ManagerExtensions AllExtensions(CDMDoc& doc)
{
    ManagerExtensions extensions;
    AddPolicySheets(extensions, doc);
    AddHistoryPanes(extensions);
    extensions.graphView = [](CDMDoc& d, QWidget* parent) -> QWidget* { return new CUseView(d, parent); };
    extensions.reports = [&doc](QWidget* parent) { RunReportsCommand(doc, parent); };
    extensions.usersView = [](CDMDoc& d, QWidget* parent) -> QWidget* { return new CUsersView(d, parent); };
    extensions.userProperties = [&doc](QWidget* parent, const std::string& account) {
        return RunUserSheet(doc, account, DisplayText(account), UserSheetPages::All, parent);
    };
    AddSettingsWindows(extensions, doc);
    extensions.checkAccess = [&doc](QWidget* parent, const std::string& account, const std::string& server,
                                    const std::string& port) { RunCheckAccess(doc, account, server, port, parent); };
    extensions.capacity = [&doc](QWidget* parent) { OpenCapacityView(doc, parent); };
    return extensions;
}

} // namespace dm

#include "manager/ui/views/historypanes.h"

#include "common/activitylog.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/frame/historybar.h"
#include "manager/ui/frame/managerextensions.h"
#include "manager/ui/views/logview.h"

namespace dm {

void AddHistoryPanes(ManagerExtensions& extensions)
{
    extensions.historyView = [](CDMDoc& doc, QWidget* parent) -> QWidget* {
        if (!doc.Log().IsLoaded())
            doc.LoadActivityLog();
        return new CLogView(doc, parent);
    };
    extensions.historyBar = [](CDMDoc& doc, QWidget* parent) -> QWidget* { return new CHistoryBar(doc, parent); };
}

} // namespace dm

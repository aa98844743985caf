#include "reports/reportscript.h"

#include "reports/reportperiod.h"
#include "platform/files/profile.h"

namespace dm {

bool WriteReportScript(const std::string& scriptFile, const ReportScript& script)
{
    ProfileBatch batch(scriptFile);
    batch.Write("Settings", "FileName", script.fileName);
    batch.Write("Settings", "ReportType", std::to_string(script.reportType));
    batch.Write("Settings", "TimePeriodType", std::to_string(script.periodType));
    if (script.periodType == PeriodCustom) {
        batch.Write("Settings", "TimePeriodFrom", std::to_string(script.from));
        batch.Write("Settings", "TimePeriodTo", std::to_string(script.to));
    }
    batch.Write("Settings", "PrintReport", script.print ? "1" : "0");
    batch.Write("Settings", "MasterShare", script.masterShare);
    return batch.Commit();
}

} // namespace dm

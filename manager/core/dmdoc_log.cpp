// The document's activity log: the browse scope and history date it loads
// for, and the loads themselves.

#include "manager/core/dmdoc.h"

#include "common/activitylog.h"
#include "manager/core/databasefile.h"
#include "manager/core/messagecaption.h"
#include "platform/files/network.h"

namespace dm {

void CDMDoc::AttachLogDirectory()
{
    m_log->SetDatabaseDirectory(m_databaseDirectory);
    m_log->SetUserInteraction(&m_ui);
    m_log->SetProgressSink(Progress());
    m_graphLog->SetDatabaseDirectory(m_databaseDirectory);
    m_graphLog->SetUserInteraction(&m_ui);
    m_graphLog->SetProgressSink(Progress());
}

bool CDMDoc::LoadActivityLog()
{
    // A scope outside 1 to 4 is corrected and kept as 1.
    m_settings.browseScope = ActivityLog::NormalizeBrowseScope(m_settings.browseScope);
    const bool loaded = m_log->LoadScope(m_settings.browseScope, m_historyDate);
    ReportUnreadableLogFiles(*m_log);
    if (!loaded)
        return false;
    AfterLogLoad();
    return true;
}

bool CDMDoc::LoadActivityLogRange(std::uint32_t from, std::uint32_t to)
{
    const bool loaded = m_log->LoadRange(from, to);
    ReportUnreadableLogFiles(*m_log);
    AfterLogLoad();
    return loaded;
}

void CDMDoc::AfterLogLoad()
{
    m_graphWindow.ResetAfterLoad(m_log->TodayStart(), m_log->TodayEnd(), m_log->FirstRecordTime());
}

void CDMDoc::ReportUnreadableLogFiles(const ActivityLog& log)
{
    ReportUnreadableLogFiles(log.UnreadableFiles());
}

void CDMDoc::ReportUnreadableLogFiles(const std::vector<std::string>& unreadable)
{
    if (unreadable == m_reportedLogFiles)
        return;
    m_reportedLogFiles = unreadable;
    if (unreadable.empty())
        return;
    std::string text;
    if (unreadable.size() == 1) {
        const unsigned long error = DatabaseFileError(unreadable.front());
        text = UnreadableFileMessage(unreadable.front(), error != 0 ? error : winerr::AccessDenied);
    } else {
        text = "These log files cannot be read; their events are not shown:";
        constexpr std::size_t kNamed = 10;
        for (std::size_t i = 0; i < unreadable.size() && i < kNamed; ++i)
            text += "\n" + unreadable[i];
        if (unreadable.size() > kNamed)
            text += "\nand " + std::to_string(unreadable.size() - kNamed) + " more.";
    }
    m_ui.ShowMessage(text, kMessageCaption, Buttons::Ok, Icon::Error);
}

int CDMDoc::BrowseScope() const { return m_settings.browseScope; }

void CDMDoc::SetBrowseScope(int scope) { m_settings.browseScope = ActivityLog::NormalizeBrowseScope(scope); }

std::uint32_t CDMDoc::HistoryDate() const { return m_historyDate; }

void CDMDoc::SetHistoryDate(std::uint32_t date) { m_historyDate = date; }

} // namespace dm

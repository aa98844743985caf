// The document's activity log: the browse scope and history date it loads
// for, and the loads themselves.

#include "manager/core/dmdoc.h"

#include "common/activitylog.h"

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
    if (!m_log->LoadScope(m_settings.browseScope, m_historyDate))
        return false;
    AfterLogLoad();
    return true;
}

bool CDMDoc::LoadActivityLogRange(std::uint32_t from, std::uint32_t to)
{
    const bool loaded = m_log->LoadRange(from, to);
    AfterLogLoad();
    return loaded;
}

void CDMDoc::AfterLogLoad()
{
    m_graphWindow.ResetAfterLoad(m_log->TodayStart(), m_log->TodayEnd(), m_log->FirstRecordTime());
}

int CDMDoc::BrowseScope() const { return m_settings.browseScope; }

void CDMDoc::SetBrowseScope(int scope) { m_settings.browseScope = ActivityLog::NormalizeBrowseScope(scope); }

std::uint32_t CDMDoc::HistoryDate() const { return m_historyDate; }

void CDMDoc::SetHistoryDate(std::uint32_t date) { m_historyDate = date; }

} // namespace dm

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
}

bool CDMDoc::LoadActivityLog()
{
    // A scope outside 1 to 4 is corrected and kept as 1.
    m_settings.browseScope = ActivityLog::NormalizeBrowseScope(m_settings.browseScope);
    return m_log->LoadScope(m_settings.browseScope, m_historyDate);
}

bool CDMDoc::LoadActivityLogRange(std::uint32_t from, std::uint32_t to)
{
    return m_log->LoadRange(from, to);
}

int CDMDoc::BrowseScope() const { return m_settings.browseScope; }

void CDMDoc::SetBrowseScope(int scope) { m_settings.browseScope = ActivityLog::NormalizeBrowseScope(scope); }

std::uint32_t CDMDoc::HistoryDate() const { return m_historyDate; }

void CDMDoc::SetHistoryDate(std::uint32_t date) { m_historyDate = date; }

} // namespace dm

// The document's side of the views: observers and hints, the refresh cycle,
// the selection and the view mode.

#include "manager/core/dmdoc.h"

#include <algorithm>

namespace dm {

void CDMDoc::AddObserver(DocumentObserver* observer)
{
    if (observer != nullptr && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void CDMDoc::RemoveObserver(DocumentObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void CDMDoc::UpdateAllViews(DocumentObserver* sender, int hint)
{
    // A view may switch the pane (destroying views) while it handles a hint:
    // each observer is told only while it is still registered.
    const std::vector<DocumentObserver*> observers = m_observers;
    for (DocumentObserver* observer : observers) {
        if (observer == sender)
            continue;
        if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
            continue;
        observer->OnDocumentUpdate(sender, hint);
    }
}

void CDMDoc::RefreshDocument()
{
    m_changed = false;
    bool newData = false;
    Trace("Refresh: Read all Logs");
    if (LoadActivityLog()) {
        Trace("Refresh: Found new log entries");
        newData = true;
    }
    Trace("Refresh: Read all Users");
    if (LoadUserSettings()) {
        Trace("Refresh: Found new user settings data");
        newData = true;
    }
    if (newData) {
        Trace("Refresh: New data therefore Update views");
        UpdateAllViews(nullptr, hint::DataChanged);
    }
}

void CDMDoc::SelectItem(DocumentObserver* sender, int kind)
{
    const int previous = m_currentKind;
    // The kind is recorded first, so that a view created by the switch reads it.
    m_currentKind = kind;
    if (kind == KindNone && previous != KindNone) {
        SwitchPane(KindNone);
    } else if (m_viewMode == ModeStatus) {
        if (kind != previous)
            SwitchPane(kind);
        else
            UpdateAllViews(sender, hint::DataChanged);
    } else {
        if (previous == KindNone && kind != KindNone)
            SwitchPane(kind);
        else
            UpdateAllViews(sender, hint::SelectionChanged);
    }
}

void CDMDoc::SetViewMode(int mode)
{
    m_previousModeHistory = m_viewMode == ModeHistory;
    m_viewMode = mode;
    SwitchPane(m_currentKind);
}

void CDMDoc::SwitchPane(int kind)
{
    if (m_frame != nullptr)
        m_frame->SwitchView(kind);
}

} // namespace dm

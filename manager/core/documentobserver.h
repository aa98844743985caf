#pragma once
// How the document tells its views that something changed. Views register
// with CDMDoc::AddObserver; each ignores the hints it does not use.

namespace dm {

namespace hint {
constexpr int DocumentLoaded = 0;
constexpr int DataChanged = 1;
constexpr int SelectionChanged = 5; // while history or graphs are shown
constexpr int HistoryOptionsChanged = 9;
constexpr int AccountIconsChanged = 10;
constexpr int SaveAs = 73; // save the right pane's data to a CSV file
constexpr int Print = 74;  // print the right pane's data
} // namespace hint

class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    // sender is the observer that caused the update, or null.
    virtual void OnDocumentUpdate(DocumentObserver* sender, int hint) = 0;
};

} // namespace dm

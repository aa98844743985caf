#pragma once
// The users view: the accounts of the user settings file with their
// sessions, denials, last session and total time, filtered by the domain,
// group or user the tree has selected. Accounts that ran out of allowance
// carry the alert icon. A header click sorts with the sort direction shared
// with the history view; double-click opens the user sheet with four pages,
// Properties with three; Delete, Copy, Save As and Print act on its rows.

#include "framework/listprinter.h"
#include "manager/core/documentobserver.h"
#include "manager/ui/frame/panecommands.h"

#include <QWidget>

#include <vector>

class QTreeView;

namespace dm {

class CDMDoc;
class UsersModel;
struct ManagerExtensions;

class CUsersView : public QWidget, public DocumentObserver, public PaneCommands {
    Q_OBJECT
public:
    CUsersView(CDMDoc& doc, QWidget* parent = nullptr);
    ~CUsersView() override;

    void OnDocumentUpdate(DocumentObserver* sender, int hint) override;

    void Refill();
    void SortByColumn(int column);
    // The account keys of the selected rows, in row order.
    std::vector<std::string> SelectedAccounts() const;
    // Double-click: all four pages, only with a known database directory.
    void OpenSheetOfRow(int row);

    bool CanDeleteSelection() const override;
    void DeleteSelection() override;
    bool CanCopySelection() const override;
    void CopySelection() override;
    bool CanPrintPreview() const override { return true; }
    void PrintPreview() override;
    bool CanShowProperties() const override;
    void ShowProperties() override;

    // Save As to this file (the file dialog asks when empty).
    void SaveAs(const QString& path = QString());
    ListPrintout Printout() const;

    UsersModel* Model() const { return m_model; }
    QTreeView* List() const { return m_list; }

    // True when the person set the column's width; it is then kept.
    bool WidthSetByPerson(int column) const;

private:
    void SetUp();
    void FitColumnsToContents();
    void ReloadAfterChange();
    void ShowPopupMenu(const QPoint& position);

    CDMDoc& m_doc;
    UsersModel* m_model = nullptr;
    QTreeView* m_list = nullptr;
    bool m_setUp = false;
    // Per column: the width was set by the person.
    std::vector<bool> m_personWidth;
    // The columns are sized to their contents after the first fill with rows.
    bool m_fitPending = true;
    // The view itself is setting widths (not the person).
    bool m_sizing = false;
};

} // namespace dm

#pragma once
// A tabbed dialog with OK, Cancel, Apply and optionally Help and the caption's
// context-help button, holding CPropertyPage tabs.
//
// Contract: a page is initialised when it is first shown; OK checks every
// page that has been shown, then applies them (in tab order) and closes only
// when all of them accept; a page that refuses its check stops it before any
// page is applied; Apply does the same but keeps the sheet open; a refusing page is
// brought to the front and the sheet stays open. Cancel applies nothing.
// Apply is enabled while any page is modified.

#include <QDialog>
#include <QString>

#include <vector>

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace dm {

class CPropertyPage;

class CPropertySheet : public QDialog {
    Q_OBJECT
public:
    explicit CPropertySheet(const QString& title, QWidget* parent = nullptr);

    // The sheet takes ownership; pages show in the order they are added.
    void AddPage(CPropertyPage* page);
    int PageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* Page(int index) const { return m_pages.at(static_cast<size_t>(index)); }
    int ActiveIndex() const;
    void SetActivePage(int index);

    void SetHelpButtonVisible(bool visible);
    // The sheet's help page: its Help button (shown) and F1 open it, unless
    // the active page names a topic of its own.
    void SetHelpContext(int context);
    void SetContextHelpButton(bool shown);
    bool HasContextHelpButton() const;

    // Applies every shown page; false when one refused (that page is active).
    bool ApplyShownPages();

    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* HelpButton() const { return m_help; }

public Q_SLOTS:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnCurrentChanged(int index);
    void UpdateApplyButton();
    void OnHelp();

    QTabWidget* m_tabs = nullptr;
    QDialogButtonBox* m_box = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_help = nullptr;
    std::vector<CPropertyPage*> m_pages;
};

} // namespace dm

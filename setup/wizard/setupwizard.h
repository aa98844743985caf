#pragma once
// The setup wizard: the seven pages in a property sheet in wizard mode, with
// Back, Next, Finish and Cancel driven by the wizard's flow.

#include "setup/wizard/2_directory.h"
#include "setup/wizardflow.h"

#include <QDialog>

#include <functional>
#include <map>

class QPushButton;
class QStackedWidget;

namespace dm {

class CSetupPage;

class CSetupWizard : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> openQuickIntro;
        C2_DIRECTORY::FolderBrowser browseFolder;
        // Runs when Finish is pressed, before the wizard closes.
        std::function<void()> finish;
    };
    CSetupWizard(WizardFlow& flow, Actions actions, QWidget* parent = nullptr);

    CSetupPage* Page(WizardPage page) const { return m_pages.at(page); }
    CSetupPage* CurrentPage() const { return m_pages.at(m_flow.Page()); }
    QPushButton* BackButton() const { return m_back; }
    QPushButton* NextButton() const { return m_next; }
    QPushButton* FinishButton() const { return m_finish; }
    QPushButton* CancelButton() const { return m_cancel; }

    // Shows a page without its checks, for pictures of each page.
    void ShowPageForPicture(WizardPage page);

private:
    void ShowCurrentPage();
    void UpdateButtons();
    void OnBack();
    void OnNext();
    void OnFinish();

    WizardFlow& m_flow;
    Actions m_actions;
    std::map<WizardPage, CSetupPage*> m_pages;
    QStackedWidget* m_stack = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QPushButton* m_finish = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace dm

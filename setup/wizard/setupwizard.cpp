#include "setup/wizard/setupwizard.h"

#include "setup/wizard/1_welcome.h"
#include "setup/wizard/centralornot.h"
#include "setup/wizard/confirm.h"
#include "setup/wizard/guide.h"
#include "setup/wizard/pageagreement.h"
#include "setup/wizard/whichmaster.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace dm {

CSetupWizard::CSetupWizard(WizardFlow& flow, Actions actions, QWidget* parent)
    : QDialog(parent), m_flow(flow), m_actions(std::move(actions))
{
    setModal(true);
    m_stack = new QStackedWidget(this);
    m_pages[WizardPage::Welcome] = new C1_Welcome(flow, this);
    m_pages[WizardPage::Agreement] = new CPageAgreement(flow, this);
    m_pages[WizardPage::Guide] = new CGuide(flow, m_actions.openQuickIntro, this);
    m_pages[WizardPage::Directory] = new C2_DIRECTORY(flow, m_actions.browseFolder, this);
    m_pages[WizardPage::CentralOrNot] = new CCentralOrNot(flow, this);
    m_pages[WizardPage::WhichMaster] = new CWhichMaster(flow, this);
    m_pages[WizardPage::Confirm] = new CConfirm(flow, this);
    for (auto& [id, page] : m_pages) {
        m_stack->addWidget(page);
        connect(page, &CSetupPage::Changed, this, &CSetupWizard::UpdateButtons);
    }

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    m_back = new QPushButton("< &Back", this);
    m_next = new QPushButton("&Next >", this);
    m_finish = new QPushButton("Finish", this);
    m_cancel = new QPushButton("Cancel", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addWidget(m_finish);
    buttons->addSpacing(8);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_stack, 1);
    layout->addWidget(line);
    layout->addLayout(buttons);
    resize(620, 400);

    connect(m_back, &QPushButton::clicked, this, &CSetupWizard::OnBack);
    connect(m_next, &QPushButton::clicked, this, &CSetupWizard::OnNext);
    connect(m_finish, &QPushButton::clicked, this, &CSetupWizard::OnFinish);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_flow.EnterPage();
    ShowCurrentPage();
}

void CSetupWizard::ShowCurrentPage()
{
    CSetupPage* page = CurrentPage();
    page->Load();
    m_stack->setCurrentWidget(page);
    setWindowTitle(PageCaption(m_flow.Page()));
    UpdateButtons();
}

void CSetupWizard::UpdateButtons()
{
    const int flags = m_flow.Buttons();
    const bool finish = (flags & wizbuttons::Finish) != 0;
    m_back->setEnabled((flags & wizbuttons::Back) != 0);
    m_next->setVisible(!finish);
    m_next->setEnabled((flags & wizbuttons::Next) != 0);
    m_finish->setVisible(finish);
    (finish ? m_finish : m_next)->setDefault(true);
}

void CSetupWizard::OnBack()
{
    CurrentPage()->Store();
    m_flow.Back();
    ShowCurrentPage();
}

void CSetupWizard::OnNext()
{
    CurrentPage()->Store();
    if (m_flow.Next())
        ShowCurrentPage();
    else
        UpdateButtons();
}

void CSetupWizard::OnFinish()
{
    hide();
    if (m_actions.finish)
        m_actions.finish();
    accept();
}

void CSetupWizard::ShowPageForPicture(WizardPage page)
{
    CSetupPage* widget = m_pages.at(page);
    widget->Load();
    m_stack->setCurrentWidget(widget);
    setWindowTitle(PageCaption(page));
    const bool finish = page == WizardPage::Confirm;
    m_back->setEnabled(page != WizardPage::Welcome);
    m_next->setVisible(!finish);
    m_next->setEnabled(true);
    m_finish->setVisible(finish);
}

} // namespace dm

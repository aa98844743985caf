#include "setup/wizardflow.h"

#include "setup/setupchecks.h"

namespace dm {

const char* PageCaption(WizardPage page)
{
    switch (page) {
    case WizardPage::Welcome: return "Welcome to the Dialminder(TM) installation program!";
    case WizardPage::Agreement: return "Software License Agreement - Dialminder for Windows NT";
    case WizardPage::Guide: return "Quick Introduction";
    case WizardPage::Directory: return "Where and what to install?";
    case WizardPage::CentralOrNot: return "Dialminder Server Component";
    case WizardPage::WhichMaster: return "Dialminder Master Component";
    case WizardPage::Confirm: return "Confirm Installation";
    }
    return "";
}

void WizardFlow::Go(WizardPage page)
{
    m_page = page;
    EnterPage();
}

void WizardFlow::EnterPage()
{
    if (m_page == WizardPage::Directory && !m_directoryInitialised) {
        m_directoryInitialised = true;
        m_directoryField = DefaultTargetDirectory();
        m_choices.installManager = true;
        m_choices.installServer = true;
    }
    if (m_page == WizardPage::Confirm)
        WarnIfRasServiceRunning(m_choices, m_ui);
}

bool WizardFlow::NextEnabled() const
{
    switch (m_page) {
    case WizardPage::Directory: return m_choices.installManager || m_choices.installServer;
    case WizardPage::WhichMaster: return !m_computerField.empty();
    case WizardPage::Confirm: return false;
    default: return true;
    }
}

int WizardFlow::Buttons() const
{
    if (m_page == WizardPage::Welcome)
        return wizbuttons::Next;
    if (m_page == WizardPage::Confirm)
        return wizbuttons::Back | wizbuttons::Finish;
    return wizbuttons::Back | (NextEnabled() ? wizbuttons::Next : 0);
}

bool WizardFlow::Next()
{
    if (!NextEnabled())
        return false;
    switch (m_page) {
    case WizardPage::Welcome: Go(WizardPage::Agreement); return true;
    case WizardPage::Agreement: Go(WizardPage::Guide); return true;
    case WizardPage::Guide: Go(WizardPage::Directory); return true;
    case WizardPage::Directory:
        m_choices.targetDirectory = NormalizeTargetDirectory(m_directoryField);
        if (!m_choices.installServer) {
            Go(WizardPage::Confirm);
            return true;
        }
        if (!CheckRasInstalled(m_ui))
            return false;
        Go(WizardPage::CentralOrNot);
        return true;
    case WizardPage::CentralOrNot:
        m_choices.isMaster = m_masterYes;
        if (m_masterYes) {
            m_choices.masterShare = LocalMasterShare();
            m_choices.masterComputer.clear();
            Go(WizardPage::Confirm);
        } else {
            Go(WizardPage::WhichMaster);
        }
        return true;
    case WizardPage::WhichMaster:
        if (!LookUpRemoteMaster(m_computerField, m_choices, m_ui))
            return false;
        Go(WizardPage::Confirm);
        return true;
    case WizardPage::Confirm: return false;
    }
    return false;
}

void WizardFlow::Back()
{
    switch (m_page) {
    case WizardPage::Welcome: return;
    case WizardPage::Agreement: Go(WizardPage::Welcome); return;
    case WizardPage::Guide: Go(WizardPage::Agreement); return;
    case WizardPage::Directory: Go(WizardPage::Guide); return;
    case WizardPage::CentralOrNot: Go(WizardPage::Directory); return;
    case WizardPage::WhichMaster: Go(WizardPage::CentralOrNot); return;
    case WizardPage::Confirm:
        if (!m_choices.installServer)
            Go(WizardPage::Directory);
        else if (m_choices.isMaster)
            Go(WizardPage::CentralOrNot);
        else
            Go(WizardPage::WhichMaster);
        return;
    }
}

} // namespace dm

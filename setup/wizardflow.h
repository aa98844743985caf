#pragma once
// The order of the wizard's pages and what each Next and Back does, apart
// from the widgets, so that the wizard and an unattended install take the
// same paths through the same checks.

#include "common/userinteraction.h"
#include "setup/setupchoices.h"

#include <string>

namespace dm {

enum class WizardPage { Welcome, Agreement, Guide, Directory, CentralOrNot, WhichMaster, Confirm };

// The property sheet's button flags.
namespace wizbuttons {
constexpr int Back = 1;
constexpr int Next = 2;
constexpr int Finish = 4;
} // namespace wizbuttons

class WizardFlow {
public:
    explicit WizardFlow(UserInteraction& ui) : m_ui(ui) {}

    WizardPage Page() const { return m_page; }
    SetupChoices& Choices() { return m_choices; }
    const SetupChoices& Choices() const { return m_choices; }

    // The directory page's fields (set to the defaults on first entry).
    std::string m_directoryField;
    // The master question's answer and the remote computer field.
    bool m_masterYes = true;
    std::string m_computerField;

    // Enters the current page: sets the directory defaults once, and on the
    // confirmation page shows the RAS service warning each time.
    void EnterPage();
    // Moves on when the page's checks allow it; false keeps the page.
    bool Next();
    void Back();
    // The Back/Next/Finish flags the page shows now.
    int Buttons() const;
    bool NextEnabled() const;

    // Lines of the confirmation page.
    bool ShowsServerLine() const { return m_choices.installServer; }
    bool ShowsManagerLine() const { return m_choices.installManager; }

private:
    void Go(WizardPage page);

    UserInteraction& m_ui;
    SetupChoices m_choices;
    WizardPage m_page = WizardPage::Welcome;
    bool m_directoryInitialised = false;
};

const char* PageCaption(WizardPage page);

} // namespace dm

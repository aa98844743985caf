#pragma once
// A manager with the policy sheets registered, a master server EAST with two
// ports and the domain OSTERHALL, and helpers that read the database files
// back through dmctl, as a script would.

#include "tests/manager/ui_fixture.h"

#include <functional>
#include <string>

class QWidget;

namespace dm {
class CPropertySheet;
}

namespace dm::test {

class SheetFixture : public UiFixture {
protected:
    void SetUp() override;

    // The manager with the real openers of the three sheets.
    void OpenWithSheets();

    // `dmctl ini get` of a key ("<missing>" when the key is not there).
    std::string HwValue(const std::string& section, const std::string& key);
    std::string UsrValue(const std::string& section, const std::string& key);
    // `dmctl ini sections` of the hardware settings file.
    std::string HwSections();
    // The hardware settings file as it lies on disk.
    std::string HwText();
    // The user settings file as it lies on disk ("" when there is none).
    std::string UsrText();
    void SetHw(const std::string& section, const std::string& key, const std::string& value);
    void SetUsr(const std::string& section, const std::string& key, const std::string& value);

    // Shows a sheet without running its modal loop.
    static void Show(CPropertySheet& sheet);
    // Runs `open`, which shows a modal dialog, and hands that dialog to
    // `inspect`, then closes it unless inspect did; returns its title.
    static QString CatchModal(const std::function<void()>& open,
                              const std::function<void(QWidget*)>& inspect = {});
};

} // namespace dm::test

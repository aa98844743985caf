#include "tests/manager/ui_sheetfixture.h"

#include "framework/propertysheet.h"
#include "manager/ui/sheets/policysheets.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "tests/dmctl/dmctlrunner.h"

#include <QApplication>
#include <QTimer>

namespace dm::test {

namespace {

std::string Get(const std::string& file, const std::string& section, const std::string& key)
{
    const DmctlResult result = RunDmctl({"ini", "get", file, section, key, "--default", "<missing>"});
    EXPECT_EQ(result.status, 0) << result.err;
    std::string value = result.out;
    if (!value.empty() && value.back() == '\n')
        value.pop_back();
    return value;
}

} // namespace

void SheetFixture::SetUp()
{
    UiFixture::SetUp();
    AddRasServer("EAST", {"COM1", "COM2"}, true);
    AddDomain("OSTERHALL", "OSTERDC", {{"anna", 9}, {"bert", 9}}, {"Sales", "Staff"});
    // Local groups of the controller, beside the global ones.
    AccountDatabase controller("OSTERDC");
    ASSERT_EQ(controller.Load(), 0u);
    ASSERT_EQ(controller.AddMember("Dial-in Users", "anna", true), 0u);
}

void SheetFixture::OpenWithSheets()
{
    ManagerExtensions extensions;
    extensions.portProperties = [this](QWidget* parent, const std::string& port, const std::string& server) {
        RunPortSheet(*m_doc, parent, port, server);
    };
    extensions.groupProperties = [this](QWidget* parent, const std::string& domain, const std::string& group) {
        RunGroupSheet(*m_doc, parent, domain, group);
    };
    extensions.defaultProperties = [this](QWidget* parent) { RunDefaultProfileSheet(*m_doc, parent); };
    OpenManager(std::move(extensions));
}

std::string SheetFixture::HwValue(const std::string& section, const std::string& key)
{
    return Get(HardwareFile(), section, key);
}

std::string SheetFixture::UsrValue(const std::string& section, const std::string& key)
{
    return Get(UserFile(), section, key);
}

std::string SheetFixture::HwSections()
{
    const DmctlResult result = RunDmctl({"ini", "sections", HardwareFile()});
    return result.out;
}

std::string SheetFixture::HwText()
{
    return ReadFile(ResolvePath(HardwareFile()).path);
}

std::string SheetFixture::UsrText()
{
    const auto path = ResolvePath(UserFile()).path;
    return std::filesystem::exists(path) ? ReadFile(path) : std::string();
}

void SheetFixture::SetHw(const std::string& section, const std::string& key, const std::string& value)
{
    ASSERT_TRUE(WritePrivateProfileString(section, key, value, HardwareFile()));
}

void SheetFixture::SetUsr(const std::string& section, const std::string& key, const std::string& value)
{
    ASSERT_TRUE(WritePrivateProfileString(section, key, value, UserFile()));
}

void SheetFixture::Show(CPropertySheet& sheet)
{
    sheet.show();
    QApplication::processEvents();
}

QString SheetFixture::CatchModal(const std::function<void()>& open, const std::function<void(QWidget*)>& inspect)
{
    QString title;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        title = modal->windowTitle();
        if (inspect)
            inspect(modal);
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog && dialog->isVisible())
            dialog->reject();
    });
    open();
    return title;
}

} // namespace dm::test

// Editors of a database file that exists but cannot be read: each names the
// file and does not open, so that no empty editor can save over the file.

#include "tests/manager/ui_fixture.h"

#include "manager/ui/frame/managerextensions.h"
#include "manager/ui/frame/settingswindows.h"
#include "manager/ui/sheets/policysheets.h"
#include "manager/ui/sheets/systemsettingssheet.h"
#include "manager/ui/sheets/usersheet.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <functional>

using namespace dm;
using namespace dm::test;

namespace {

class UnreadableEditorsTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        AddRasServer("EAST", {"COM1"}, true);
        WriteFile(m_db / "Dialmind.usr", "[DOM\\anna]\r\nMaxSessionTime=60\r\n[+DOM\\Staff]\r\nMaxSessionTime=90\r\n");
        WriteFile(m_db / "Dialmind.hw", "[EAST\\COM1]\r\nMaxSessionTime=60\r\n");
        OpenManager();
        ASSERT_TRUE(m_ui.m_messages.empty());
    }
    // Runs an opener; a sheet it shows after all is closed at once and counted.
    bool Opens(const std::function<void()>& open)
    {
        bool shown = false;
        QTimer watch;
        watch.setInterval(50);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown = true;
                modal->close();
            }
        });
        watch.start();
        open();
        return shown;
    }
    static std::string Message(const std::string& file)
    {
        return "The file " + file +
               " cannot be read: it is not a regular file or may not be read (error 5).\n"
               "Nothing of it is shown or saved until it can be read.";
    }
    void ReplaceByDirectory(const std::string& name)
    {
        std::filesystem::remove(m_db / name);
        std::filesystem::create_directory(m_db / name);
    }
};

TEST_F(UnreadableEditorsTest, EditorsOfAnUnreadableUserFileDoNotOpen)
{
    ReplaceByDirectory("Dialmind.usr");
    const std::string file = m_doc->Users().File();
    bool accepted = true;
    EXPECT_FALSE(Opens([&] {
        accepted = RunUserSheet(*m_doc, "DOM\\anna", QStringLiteral("DOM\\anna"), UserSheetPages::All, nullptr);
    }));
    EXPECT_FALSE(accepted);
    EXPECT_FALSE(Opens([&] { RunGroupSheet(*m_doc, nullptr, "DOM", "Staff"); }));
    EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>{Message(file), Message(file)}));
    EXPECT_TRUE(std::filesystem::is_directory(m_db / "Dialmind.usr"));
    // The hardware settings' editors still open.
    EXPECT_TRUE(Opens([&] { RunDefaultProfileSheet(*m_doc, nullptr); }));
}

TEST_F(UnreadableEditorsTest, EditorsOfAnUnreadableHardwareFileDoNotOpen)
{
    ReplaceByDirectory("Dialmind.hw");
    const std::string file = m_doc->Hardware().File();
    EXPECT_FALSE(Opens([&] { RunPortSheet(*m_doc, nullptr, "COM1", "EAST"); }));
    EXPECT_FALSE(Opens([&] { RunDefaultProfileSheet(*m_doc, nullptr); }));
    EXPECT_FALSE(Opens([&] { RunSystemSettingsSheet(*m_doc, nullptr); }));
    ManagerExtensions extensions;
    AddSettingsWindows(extensions, *m_doc);
    EXPECT_FALSE(Opens([&] { extensions.greetings(nullptr); }));
    EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>(4, Message(file))));
    // The user's own sheet reads the user file only.
    EXPECT_TRUE(Opens([&] {
        RunUserSheet(*m_doc, "DOM\\anna", QStringLiteral("DOM\\anna"), UserSheetPages::WithoutNtRas, nullptr);
    }));
}

} // namespace

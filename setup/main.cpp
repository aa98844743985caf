// setup: installs the Dialminder manager and server component from the
// installation medium in the current working directory.

#include "framework/qtuserinteraction.h"
#include "platform/files/network.h"
#include "setup/setupdoc.h"
#include "setup/unattended.h"
#include "setup/wizard/mainframe.h"
#include "setup/wizard/screenshots.h"

#include "platform/system/display.h"

#include <QApplication>
#include <QStatusBar>

#include <clocale>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace {

const char* const kUsage =
    "Usage: setup                       the installation wizard\n"
    "       setup --unattended ANSWERS  install without questions, as ANSWERS says\n"
    "       setup --screenshots DIR     a picture of every page and dialog, into DIR\n"
    "       setup --help                this text\n"
    "\n"
    "setup installs the Dialminder Manager and the RAS Server Component on the local\n"
    "computer of the emulated network ($DIALMIND_NETWORK, $DIALMIND_COMPUTERNAME).\n"
    "The compressed files (DIALMIND.EX_, ...) are read from the current directory.\n"
    "\n"
    "ANSWERS is a profile file with a section [Setup]:\n"
    "  InstallManager=1               copy the manager, help, LiveGlance and DMReport\n"
    "  InstallServer=1                install the server component\n"
    "  TargetDirectory=C:\\Dialmind    default: ProgramFilesDir\\Dialmind\n"
    "  Master=1                       this server holds the central database\n"
    "  MasterComputer=\\\\CENTRAL       the master's computer when Master=0\n"
    "  OverwriteHardwareSettings=No   replace an existing Dialmind.hw\n"
    "  OverwriteUserSettings=No       replace an existing Dialmind.usr\n"
    "Flags take 1/0, Yes/No or True/False. Every step and message is printed.\n"
    "\n"
    "Unknown sections and keys are refused; nothing is installed then.\n"
    "\n"
    "Exit status: 0 installed; 1 bad arguments or answers; 2 an unknown section or\n"
    "key in ANSWERS, or a check stopped setup (no RAS, master not found, a file\n"
    "to install missing from the current directory; nothing is written then); 3 the\n"
    "installation aborted; 4 the log conversion failed; 5 installed, but a step was\n"
    "refused or failed (a file not updated or not copied, no target directory).\n"
    "The last line printed says which. The wizard refuses an incomplete medium\n"
    "before it opens, with status 2.\n";

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1) {
        const std::string option = argv[1];
        if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (option == "--unattended" && argc == 3) {
            std::setlocale(LC_ALL, "");
            std::string error;
            if (dm::Network::CheckLocalComputerName(&error) != 0) {
                std::cerr << "setup: " << error << "\n";
                return 1;
            }
            dm::UnattendedAnswers answers;
            int status = 0;
            if (!dm::ReadUnattendedAnswers(argv[2], answers, error, &status)) {
                std::cerr << "setup: " << error << "\n";
                return status;
            }
            std::error_code ec;
            const std::filesystem::path medium = std::filesystem::current_path(ec);
            if (ec) {
                std::cerr << "setup: the current directory (the installation medium) is gone\n";
                return 1;
            }
            return dm::RunUnattended(answers, medium, std::cout);
        }
        // Pictures of every window, for review (make screenshots).
        if (option == "--screenshots" && argc == 3) {
            if (!dm::WindowSystemReachable()) {
                std::cerr << "setup: no display can be reached (DISPLAY names no X server that answers; QT_QPA_PLATFORM=offscreen draws without one)\n";
                return 1;
            }
            QApplication app(argc, argv);
            const int written = dm::WriteSetupScreenshots(argv[2]);
            std::cout << "setup: wrote " << written << " pictures to " << argv[2] << "\n";
            return written == 10 ? 0 : 1;
        }
        std::cerr << "setup: unknown arguments; try setup --help\n";
        return 1;
    }
    if (!dm::WindowSystemReachable()) {
        std::cerr << "setup: no display can be reached (DISPLAY names no X server that answers; QT_QPA_PLATFORM=offscreen draws without one); setup --unattended installs without one\n";
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Dialminder Setup");
    dm::QtUserInteraction ui;
    std::error_code ec;
    const std::filesystem::path medium = std::filesystem::current_path(ec);
    // A medium that lacks a file is refused before the wizard asks anything.
    if (const auto missing = dm::MissingMediumFiles(medium, true, true); !missing.empty()) {
        const std::string text = dm::IncompleteMediumMessage(medium, missing);
        std::cerr << "setup: " << text << "\n";
        ui.ShowMessage(text, dm::setupnames::SetupCaption, dm::Buttons::Ok, dm::Icon::Error);
        return dm::unattendedexit::CheckStopped;
    }
    dm::CSetupDoc doc(ui);
    dm::CMainFrame frame(doc, ui, medium);
    ui.SetParent(&frame);
    frame.show();
    app.exec();
    return 0;
}

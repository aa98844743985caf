// dialmind: the manager of the remote access servers.

#include "common/userinteraction.h"
#include "framework/onscreen.h"
#include "framework/qtuserinteraction.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/frame/allextensions.h"
#include "manager/ui/frame/mainframe.h"
#include "manager/ui/frame/screenshots.h"
#include "platform/system/display.h"


#include <QApplication>

#include <cstdio>
#include <ctime>
#include <string>

namespace {

void PrintUsage()
{
    std::puts("Usage: dialmind [/S=NAME]\n"
              "\n"
              "Dialminder: watch the dial-in servers of the network, their ports, sessions,\n"
              "history and usage, and edit the policies they enforce.\n"
              "\n"
              "  /S=NAME     read the monitored servers from the registry key\n"
              "              Software\\Osterhall Software\\Dialminder\\NAME (default: Servers)\n"
              "  --help      show this text\n"
              "\n"
              "Environment: DIALMIND_NETWORK (the emulated network), DIALMIND_COMPUTERNAME\n"
              "(this computer's name), DIALMIND_PRINTER=pdf:FILE (print to a PDF file).");
}

} // namespace

int main(int argc, char** argv)
{
    // Local times follow the TZ of the environment.
    tzset();
    std::string commandLine;
    QString screenshotDir;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage();
            return 0;
        }
        if (arg == "--screenshots" && i + 1 < argc) {
            screenshotDir = QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr, "dialmind: unknown option %s (see dialmind --help)\n", arg.c_str());
            return 2;
        }
        commandLine += (commandLine.empty() ? "" : " ") + arg;
    }

    // Without a display the window system would abort with a long advice;
    // say so in one line instead, as dmreport does.
    if (!dm::PlatformNeedsNoDisplay() && !dm::DisplayAnswers()) {
        std::fprintf(stderr, "dialmind: cannot show the window: no display can be reached "
                             "(DISPLAY or WAYLAND_DISPLAY)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dialmind"));
    QApplication::setApplicationDisplayName(QStringLiteral("Dialminder"));
    QApplication::setOrganizationName(QStringLiteral("Osterhall Software"));

    // Every window and dialog opens whole on the screen, 800x600 included.
    dm::OnScreenGuard::Install();
    dm::QtUserInteraction ui;
    // Unattended screenshots must never wait for an answer; what a message
    // would have said goes to standard error.
    dm::ConsoleMessages console("dialmind");
    dm::UserInteraction& docUi =
        screenshotDir.isEmpty() ? static_cast<dm::UserInteraction&>(ui) : console;
    dm::CDMDoc doc(docUi);
    doc.SetCommandLine(commandLine);
    dm::CMainFrame frame(doc, ui, dm::AllExtensions(doc));
    doc.SetFrame(&frame);
    if (!screenshotDir.isEmpty()) {
        doc.OnNewDocument();
        return dm::TakeScreenshots(doc, frame, screenshotDir);
    }
    frame.show();
    doc.OnNewDocument();
    frame.StartPortTotals();
    const int result = app.exec();
    doc.SetFrame(nullptr);
    return result;
}

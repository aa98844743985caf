// DMQUICK.EXE, LiveGlance: the busy ports of every monitored server at a glance.

#include "common/ansitext.h"
#include "platform/system/display.h"
#include "framework/qtuserinteraction.h"
#include "platform/ras/rasbind/sharedlibrary.h"
#include "setup/liveglance/liveglancewindow.h"
#include "setup/liveglance/portglance.h"

#include <QApplication>
#include <QStatusBar>

#include <cstring>
#include <filesystem>
#include <string>
#include <iostream>

namespace {

// What the window shows, once, as text: "SERVER busy/ports" a line.
int ListOnce()
{
    dm::ConsoleMessages ui("DMQUICK");
    dm::SharedLibrary library;
    dm::RasAdminFunctions ras;
    if (!dm::BindRasAdminLibrary(library, ras, ui))
        return 1;
    int status = 0;
    for (const dm::ServerGlance& glance : dm::GlanceAtServers(ras, dm::MonitoredServers())) {
        if (glance.error != 0) {
            std::cout << dm::AnsiToUtf8(glance.server) << " " << dm::GlanceText(glance, ras) << "\n";
            status = 1;
        } else {
            std::cout << dm::AnsiToUtf8(glance.server) << " " << glance.busy << "/" << glance.ports << "\n";
        }
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    // The program calls itself by the name it was started as: dmquick in the
    // build, DMQUICK.EXE where setup installed it.
    const std::string self = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : "dmquick";
    const std::string usage =
        "Usage: " + self + " [--list]\n"
        "Dialminder LiveGlance: shows the busy RAS ports of each server in the\n"
        "manager's server list (or of this computer), refreshed every 5 seconds.\n"
        "  --list   print each server's busy and total ports once, without a window\n"
        "           (exit status 1 when the RAS library or a server cannot be read)\n"
        "  --help   this text\n";
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << usage;
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0)
        return ListOnce();
    if (argc > 1) {
        std::cerr << self << ": unknown argument '" << argv[1] << "'\n\n" << usage;
        return 2;
    }
    if (!dm::WindowSystemReachable()) {
        std::cerr << self << ": no display can be reached (DISPLAY names no X server that answers; QT_QPA_PLATFORM=offscreen draws without one); --list prints without one\n";
        return 1;
    }
    QApplication app(argc, argv);
    dm::QtUserInteraction ui;
    dm::SharedLibrary library;
    dm::RasAdminFunctions ras;
    dm::BindRasAdminLibrary(library, ras, ui);
    dm::CLiveGlanceWindow window(ras);
    window.show();
    return app.exec();
}

// DMQUICK.EXE, LiveGlance: the busy ports of every monitored server at a glance.

#include "framework/qtuserinteraction.h"
#include "platform/rasbind/sharedlibrary.h"
#include "setup/liveglance/liveglancewindow.h"

#include <QApplication>
#include <QStatusBar>

#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::cout << "Usage: DMQUICK.EXE\n"
                     "Dialminder LiveGlance: shows the busy RAS ports of each server in the\n"
                     "manager's server list (or of this computer), refreshed every 5 seconds.\n";
        return 0;
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

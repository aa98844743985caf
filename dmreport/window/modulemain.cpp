// The entry points of libdmreport_window.so, which dmreport loads for its
// window and for printing.

#include "dmreport/window/reportwindow.h"
#include "reports/print/reportprinting.h"

#include <QApplication>
#include <QGuiApplication>

#include "common/userinteraction.h"

#include <cstdlib>
#include <memory>

namespace {

// Qt's own diagnostics (missing runtime directory and the like) would reach
// the scheduler's mail as if they were errors: they go to the trace instead.
void TraceQtMessage(QtMsgType, const QMessageLogContext&, const QString& message)
{
    dm::Trace("Qt: " + message.toStdString());
}

} // namespace

extern "C" __attribute__((visibility("default"))) int
dm_dmreport_run_window(int argc, char** argv, const char* commandText)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("DMReport"));
    return dm::RunReportWindow(commandText, [](const std::string& dmtemp) {
        return dm::PrintReportFile(dmtemp) >= 0;
    });
}

// The pages printed, or -1 when no printer could be opened.
extern "C" __attribute__((visibility("default"))) int dm_dmreport_print(const char* dmtempFile)
{
    // A console run has no display: print through the offscreen platform.
    std::unique_ptr<QGuiApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        qInstallMessageHandler(&TraceQtMessage);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "dmreport";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QGuiApplication>(argc, argv);
    }
    return dm::PrintReportFile(dmtempFile);
}

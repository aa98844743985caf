// dmreport: produces one report from a report script, unattended.

#include "dmreport/consolefeedback.h"
#include "dmreport/qtmodule.h"
#include "dmreport/reportjob.h"
#include "platform/system/display.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char* const HelpText =
    "Usage: dmreport [--console | --window] SCRIPTFILE\n"
    "\n"
    "DMREPORT Batch Report Creator: produces the report that a report script\n"
    "(saved by the manager's Save Report Script dialog, default name dmscript.dat)\n"
    "describes, printed on the default printer or written as a comma-separated\n"
    "file, without asking anything.\n"
    "\n"
    "SCRIPTFILE is everything after the options, blanks included. A name without\n"
    "a directory is looked for in the Windows directory of the local computer,\n"
    "then in the current directory. The script's section [Settings] must hold\n"
    "MasterShare, ReportType, TimePeriodType, PrintReport and FileName; period\n"
    "type 5 also reads TimePeriodFrom and TimePeriodTo (a missing bound leaves\n"
    "that side of the period open). The report covers the day files of the\n"
    "period and the legacy log Dialmind.log when it still exists.\n"
    "dmtemp.dat is left in the current directory.\n"
    "\n"
    "Modes:\n"
    "  --window   show the DMReport window with its progress bar and status\n"
    "             line; after the run it waits 4 seconds (10 seconds and a beep\n"
    "             after an error) and ends. The default when a display is\n"
    "             available (DISPLAY or WAYLAND_DISPLAY naming one that answers).\n"
    "  --console  no window and no pauses: status texts and progress\n"
    "             percentages on standard output, ERROR: texts on standard\n"
    "             error. The default without a display, e.g. under a scheduler.\n"
    "  --help     show this text.\n"
    "\n"
    "Printing goes to the default printer; DIALMIND_PRINTER=pdf:FILE writes the\n"
    "print job to FILE as PDF. Exit status: 0 after a report run, 1 after an\n"
    "error.\n";

} // namespace

int main(int argc, char** argv)
{
    enum class Mode { Automatic, Console, Window } mode = Mode::Automatic;
    int first = 1;
    for (; first < argc; ++first) {
        const char* arg = argv[first];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            std::fputs(HelpText, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--console") == 0) {
            mode = Mode::Console;
        } else if (std::strcmp(arg, "--window") == 0) {
            mode = Mode::Window;
        } else if (std::strcmp(arg, "--") == 0) {
            ++first;
            break;
        } else if (std::strncmp(arg, "--", 2) == 0) {
            std::fprintf(stderr, "dmreport: unknown option %s (see dmreport --help)\n", arg);
            return 1;
        } else {
            break;
        }
    }
    std::string commandText;
    for (int i = first; i < argc; ++i) {
        if (!commandText.empty())
            commandText += ' ';
        commandText += argv[i];
    }

    dm::QtModule qt;
    const bool display = mode == Mode::Window ? dm::PlatformNeedsNoDisplay() || dm::DisplayAnswers()
                         : mode == Mode::Automatic && dm::DisplayAnswers();
    if (mode == Mode::Window && !display) {
        std::fprintf(stderr, "ERROR: Cannot show the window: no display can be reached.\n");
        return 1;
    }
    if (display) {
        if (qt.Load())
            return qt.RunWindow(argc, argv, commandText);
        if (mode == Mode::Window) {
            std::fprintf(stderr, "ERROR: Cannot show the window: %s\n", qt.Error().c_str());
            return 1;
        }
    }
    dm::ConsoleFeedback feedback;
    const dm::PrintFunction print = [&qt](const std::string& dmtempFile) {
        if (qt.Load())
            return qt.PrintWithoutWindow(dmtempFile);
        std::fprintf(stderr, "dmreport: cannot print: %s\n", qt.Error().c_str());
        return false;
    };
    return dm::RunReportJob(commandText, feedback, print);
}

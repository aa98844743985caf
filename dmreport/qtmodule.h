#pragma once
// The window and the printing of dmreport live in a module of their own
// (libdmreport_window.so beside the program's library directory), loaded
// only when a window is shown or a report is printed, so that a console run
// needs no Qt at all.

#include <string>

namespace dm {

class QtModule {
public:
    // Loads the module; false (with the reason in Error()) when it is missing.
    bool Load();
    const std::string& Error() const { return m_error; }

    // The window run: shows the window, runs the job, returns the exit status.
    int RunWindow(int argc, char** argv, const std::string& commandText);
    // Prints the report of dmtemp.dat without a window (offscreen platform);
    // false when no printer could be opened.
    bool PrintWithoutWindow(const std::string& dmtempFile);

private:
    using RunWindowFn = int (*)(int, char**, const char*);
    using PrintFn = int (*)(const char*);
    void* m_handle = nullptr;
    RunWindowFn m_runWindow = nullptr;
    PrintFn m_print = nullptr;
    std::string m_error;
};

} // namespace dm

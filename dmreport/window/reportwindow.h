#pragma once
// dmreport's window: a caption, a line of explanation, a progress bar and a
// status line. The run happens once, 300 ms after the window appears; then
// the window waits (4 seconds after success, a beep and 10 seconds after an
// error) so that the outcome can be read, and closes with the exit status.

#include "dmreport/reportjob.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QMessageBox;
class QProgressBar;

namespace dm {

class ReportWindow : public QDialog, private ReportJobFeedback {
    Q_OBJECT
public:
    using Pause = std::function<void(int milliseconds)>;
    using Beeper = std::function<void(unsigned frequency, unsigned milliseconds)>;

    ReportWindow(std::string commandText, PrintFunction print, QWidget* parent = nullptr);

    // Tests replace the real pause and beep to observe them.
    void SetPause(Pause pause) { m_pause = std::move(pause); }
    void SetBeeper(Beeper beeper) { m_beeper = std::move(beeper); }

    // The single run with its closing pause; returns the exit status.
    int Run();

    QString StatusText() const;
    int ProgressValue() const;
    // The About box of the window's menu.
    QMessageBox* CreateAboutBox();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SetProgress(int percent) override;
    void SetStatus(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void Refresh();
    void ShowAbout();

    std::string m_commandText;
    PrintFunction m_print;
    Pause m_pause;
    Beeper m_beeper;
    bool m_failed = false;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
};

// Runs the window as the program's main window; returns the exit status.
int RunReportWindow(const std::string& commandText, const PrintFunction& print);

} // namespace dm

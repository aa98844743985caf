#pragma once
// "Generating Report, please wait...": runs a report on a worker thread and
// shows its progress texts in the status line. 300 ms after opening, and a
// further pause, the run starts; Cancel while it runs asks it to stop (the
// dialog stays open until it has), Cancel after it ended closes the dialog.
// The dialog closes itself when the run ends.
//
// The worker never touches a widget: its texts and its end reach the dialog
// as queued signals.

#include "reports/reportrun.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <functional>

class QLabel;
class QPushButton;
class QThread;

namespace dm {

class CReportProgressDialog : public QDialog {
    Q_OBJECT
public:
    // print is the printing half handed to the run (may be unset).
    CReportProgressDialog(ReportRequest request, ReportRunControl::PrintFunction print,
                          QWidget* parent = nullptr);
    ~CReportProgressDialog() override;

    // The pause between the 300 ms timer and the start of the run.
    void SetStartDelay(int milliseconds) { m_startDelayMs = milliseconds; }
    // Asks a running report to stop; safe from any thread.
    void RequestCancel() { m_cancel.store(true); }
    bool Running() const { return m_running; }
    bool Finished() const { return m_finished; }
    const ReportRunResult& Result() const { return m_result; }
    QLabel* StatusLine() const { return m_status; }
    QPushButton* CancelButton() const { return m_cancelButton; }

    void reject() override;

Q_SIGNALS:
    // Emitted on the worker thread.
    void statusChanged(const QString& text);
    void runEnded();

private:
    void StartRun();
    void OnRunEnded();

    ReportRequest m_request;
    ReportRunControl::PrintFunction m_print;
    int m_startDelayMs = 2000;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
    bool m_finished = false;
    bool m_startAbandoned = false;
    ReportRunResult m_result;
    QThread* m_thread = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace dm

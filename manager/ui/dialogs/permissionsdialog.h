#pragma once
// "Export RAS Account Permissions" and "Import RAS Account Permissions": a
// server, a file, a status line and a progress bar. Either runs on a worker
// thread while the window goes on answering, and Cancel (or Escape) asks it
// to stop: an import between two writes of the accounts, keeping those set
// before (the status line says how many); an export before its next
// account, writing no file, so that an earlier file of that name stays as
// it was. A finished operation closes the dialog, a failed, stopped or
// cancelled one leaves it open for another try.
//
// The worker never touches a widget: its texts reach the dialog as queued
// signals, at most a few a second, and a question it asks is put on this
// thread, the worker waiting for the answer.

#include "manager/core/permissiontransfer.h"

#include <QDialog>
#include <QPointer>

#include <atomic>
#include <functional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace dm {

class CDMDoc;

class CPermissionsDialog : public QDialog {
    Q_OBJECT
public:
    enum class Direction { Export, Import };
    CPermissionsDialog(CDMDoc& doc, Direction direction, QWidget* parent = nullptr);

    // Returns the chosen path, or an empty text when the person cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& title)>;
    void SetFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
    // The "..." button.
    void ChooseFile();
    // The "Export" or "Import" button; the result of the run (it returns when
    // its worker has ended, this thread's events served meanwhile).
    TransferResult Run();
    // Asks a running export or import to stop; safe from any thread.
    void RequestCancel() { m_cancel.store(true); }
    bool Running() const { return m_running; }
    // Accounts handled and accounts listed (import) or enumerated (export)
    // by the last run.
    int Handled() const { return m_handled; }
    int Total() const { return m_total; }

    // Cancel, Escape and the window's close: while a run goes on they ask
    // it to stop, and the dialog stays open.
    void reject() override;

    QLineEdit* ServerField() const { return m_server; }
    QLineEdit* FileField() const { return m_file; }
    QLabel* StatusLine() const { return m_status; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QPushButton* RunButton() const { return m_run; }
    QPushButton* BrowseButton() const { return m_browse; }

Q_SIGNALS:
    // Emitted on the run's worker thread.
    void statusChanged(const QString& text);
    void progressChanged(int handled, int total);

private:
    void UpdateRunButton();
    // The export or import on a worker thread, this thread's events served
    // until it ends; the status line then tells how it ended.
    TransferResult RunTransfer(const std::string& server, const std::string& file);
    void SetRunning(bool running);

    CDMDoc& m_doc;
    Direction m_direction;
    FileChooser m_chooser;
    QLineEdit* m_server = nullptr;
    QLineEdit* m_file = nullptr;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_run = nullptr;
    QPushButton* m_browse = nullptr;
    QPointer<QWidget> m_focusBefore;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
    int m_handled = 0;
    int m_total = 0;
};

class CExportPermissionsDialog : public CPermissionsDialog {
    Q_OBJECT
public:
    explicit CExportPermissionsDialog(CDMDoc& doc, QWidget* parent = nullptr)
        : CPermissionsDialog(doc, Direction::Export, parent)
    {
    }
};

class CImportPermissionsDialog : public CPermissionsDialog {
    Q_OBJECT
public:
    explicit CImportPermissionsDialog(CDMDoc& doc, QWidget* parent = nullptr)
        : CPermissionsDialog(doc, Direction::Import, parent)
    {
    }
};

} // namespace dm

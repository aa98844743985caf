#pragma once
// "Export RAS Account Permissions" and "Import RAS Account Permissions": a
// server, a file and a status line. The export runs on the user-interface
// thread (the status line shows each account). The import runs on a worker
// thread while the window goes on answering, with a progress bar, and Cancel
// (or Escape) asks it to stop between accounts; the accounts set before
// that stay set and the status line says how many. A finished operation
// closes the dialog, a failed, stopped or cancelled one leaves it open for
// another try.
//
// The worker never touches a widget: its texts reach the dialog as queued
// signals, at most a few a second, and a question it asks is put on this
// thread, the worker waiting for the answer.

#include "manager/core/permissiontransfer.h"

#include <QDialog>

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
    // The "Export" or "Import" button; the result of the run (an import
    // returns when its worker has ended, this thread's events served meanwhile).
    TransferResult Run();
    // Asks a running import to stop; safe from any thread.
    void RequestCancel() { m_cancel.store(true); }
    bool Running() const { return m_running; }
    // Accounts set and accounts listed by the last import.
    int Handled() const { return m_handled; }
    int Total() const { return m_total; }

    // Cancel, Escape and the window's close: while an import runs they ask
    // it to stop, and the dialog stays open.
    void reject() override;

    QLineEdit* ServerField() const { return m_server; }
    QLineEdit* FileField() const { return m_file; }
    QLabel* StatusLine() const { return m_status; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QPushButton* RunButton() const { return m_run; }
    QPushButton* BrowseButton() const { return m_browse; }

Q_SIGNALS:
    // Emitted on the import's worker thread.
    void statusChanged(const QString& text);
    void progressChanged(int handled, int total);

private:
    void UpdateRunButton();
    TransferResult RunImport(const std::string& server, const std::string& file);
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

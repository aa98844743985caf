#pragma once
// "Export RAS Account Permissions" and "Import RAS Account Permissions": a
// server, a file and a status line. The operation runs on the user-interface
// thread (the status line shows each account); a finished operation closes
// the dialog, a failed or stopped one leaves it open for another try.

#include "manager/core/permissiontransfer.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
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
    // The "Export" or "Import" button; the result of the run.
    TransferResult Run();

    QLineEdit* ServerField() const { return m_server; }
    QLineEdit* FileField() const { return m_file; }
    QLabel* StatusLine() const { return m_status; }
    QPushButton* RunButton() const { return m_run; }
    QPushButton* BrowseButton() const { return m_browse; }

private:
    void UpdateRunButton();

    CDMDoc& m_doc;
    Direction m_direction;
    FileChooser m_chooser;
    QLineEdit* m_server = nullptr;
    QLineEdit* m_file = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_run = nullptr;
    QPushButton* m_browse = nullptr;
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

#pragma once
// The "Database" page of System Settings: the sizes and record counts of the
// hardware and user settings files, the number of activity log files, and
// "Purge..." to delete old log files.

#include "framework/propertypage.h"

class QLabel;
class QPushButton;

namespace dm {

class CDMDoc;

class CSystemDatabase : public CPropertyPage {
    Q_OBJECT
public:
    explicit CSystemDatabase(CDMDoc& doc, QWidget* parent = nullptr);

    QLabel* HardwareSize() const { return m_hwSize; }
    QLabel* HardwareRecords() const { return m_hwRecords; }
    QLabel* UserSize() const { return m_usrSize; }
    QLabel* UserRecords() const { return m_usrRecords; }
    QLabel* LogFileCount() const { return m_logFiles; }
    QLabel* LogRecords() const { return m_logRecords; }
    QPushButton* PurgeButton() const { return m_purge; }
    // Shows the files counted again (after the log files dialog).
    void ShowLogFileCount();

Q_SIGNALS:
    // Emitted before the log files dialog opens, with the dialog; lets tests
    // and screenshots drive it.
    void logFilesDialogOpened(QWidget* dialog);

protected:
    void OnInitPage() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OnPurge();

    CDMDoc& m_doc;
    int m_fileCount = 0;
    QLabel* m_headings[3] = {};
    QLabel* m_hwSize = nullptr;
    QLabel* m_hwRecords = nullptr;
    QLabel* m_usrSize = nullptr;
    QLabel* m_usrRecords = nullptr;
    QLabel* m_logFiles = nullptr;
    QLabel* m_logRecords = nullptr;
    QPushButton* m_purge = nullptr;
};

} // namespace dm

#pragma once
// "Dialminder Log Files": the activity log files of the database with their
// sizes; selected files can be deleted. The list is filled 400 ms after the
// dialog opens (under the wait cursor) and again after every deletion; each
// listing is recorded in LogData\logfiles.tmp.

#include "manager/core/logfiles.h"

#include <QDialog>

#include <vector>

class QPushButton;
class QTimer;
class QTreeWidget;

namespace dm {

class CDMDoc;

class CLogFilesDialog : public QDialog {
    Q_OBJECT
public:
    // fileCount: the number of log files the Database page counted; the
    // keys of logfiles.tmp count down from it.
    CLogFilesDialog(CDMDoc& doc, int fileCount, QWidget* parent = nullptr);
    ~CLogFilesDialog() override;

    // Lists the files now (the timer's work).
    void ListFiles();
    // Asks, then deletes the selected files and lists again.
    void DeleteSelected();

    QTreeWidget* List() const { return m_list; }
    QPushButton* DeleteButton() const { return m_delete; }
    QPushButton* HelpButton() const { return m_help; }
    QTimer* ListTimer() const { return m_timer; }

private:
    CDMDoc& m_doc;
    int m_fileCount;
    bool m_waiting = false;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_help = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace dm

#pragma once
// The dialog of the log conversion: a text, the status line and a bar from
// 1 to 100. Half a second after it opens it converts and closes itself.

#include "setup/logmigration.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;

namespace dm {

class CMigrationDialog : public QDialog, public MigrationProgress {
    Q_OBJECT
public:
    CMigrationDialog(std::string databaseDirectory, UserInteraction& ui, int startDelayMs,
                     QWidget* parent = nullptr);

    void SetStatus(const std::string& text) override;
    void SetPosition(int percent) override;
    bool Succeeded() const { return m_succeeded; }

    QLabel* StatusLine() const { return m_status; }
    QProgressBar* Bar() const { return m_bar; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void RunMigration();

    std::string m_dir;
    UserInteraction& m_ui;
    int m_startDelayMs;
    bool m_started = false;
    bool m_succeeded = false;
    QLabel* m_status = nullptr;
    QProgressBar* m_bar = nullptr;
    QElapsedTimer m_sinceRepaint;
};

} // namespace dm

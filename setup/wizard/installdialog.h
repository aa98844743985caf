#pragma once
// The progress dialog of the installation run: a step text, a detail text,
// a bar from 0 to 100 and two icons. Half a second after it opens it runs
// the installation and closes itself when the run ends.

#include "setup/installer.h"

#include <QDialog>

#include <filesystem>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;

namespace dm {

class CInstallDialog : public QDialog, public InstallProgress {
    Q_OBJECT
public:
    // pauseMs and startDelayMs are 200 and 500 for a person, 0 in tests.
    CInstallDialog(const SetupChoices& choices, UserInteraction& ui,
                   std::filesystem::path sourceDir, unsigned pauseMs, int startDelayMs,
                   QWidget* parent = nullptr);

    void SetStep(const std::string& step, const std::string& detail, int position) override;
    bool Succeeded() const { return m_succeeded; }
    // What the run left undone although it went on (a file not copied).
    const std::vector<std::string>& Problems() const { return m_problems; }

    QLabel* StepText() const { return m_step; }
    QLabel* DetailText() const { return m_detail; }
    QProgressBar* Bar() const { return m_bar; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void RunInstallation();

    const SetupChoices& m_choices;
    UserInteraction& m_ui;
    std::filesystem::path m_sourceDir;
    unsigned m_pauseMs;
    int m_startDelayMs;
    bool m_started = false;
    bool m_succeeded = false;
    std::vector<std::string> m_problems;
    QLabel* m_step = nullptr;
    QLabel* m_detail = nullptr;
    QProgressBar* m_bar = nullptr;
};

} // namespace dm
